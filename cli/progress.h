// A progress line on standard error when it is a terminal: drawn in place, removed at the end.
#pragma once

#include <chrono>
#include <string>

class ProgressLine {
public:
    explicit ProgressLine(bool wanted);  // shows nothing unless wanted and stderr is a terminal
    ~ProgressLine() { hide(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool on() const { return on_; }

    // Draws text over the line shown, cut to the terminal's width. A line already shown is
    // redrawn at most ten times a second, unless forced.
    void show(const std::string& text, bool force = false);

    // Removes the line, so that other output can follow; the next show draws it again.
    void hide();

    // Removes the line before output that could meet it: any on standard error, and any on a
    // standard output that is a terminal too.
    void make_way(bool for_stderr)
    {
        if (for_stderr || out_on_terminal_) hide();
    }

private:
    bool on_;
    bool out_on_terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point drawn_{};
};
