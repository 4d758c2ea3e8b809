// A progress line on standard error when it is a terminal: drawn in place, removed at the end.
#include "progress.h"

#include <cstdio>

#include "system.h"

namespace {

constexpr auto REDRAW_EVERY = std::chrono::milliseconds(100);

}  // namespace

ProgressLine::ProgressLine(bool wanted)
    : on_(wanted && is_terminal(stderr)), out_on_terminal_(is_terminal(stdout))
{
}

void ProgressLine::show(const std::string& text, bool force)
{
    if (!on_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && !force && now - drawn_ < REDRAW_EVERY) return;
    // A line longer than the terminal would wrap, and the next redraw could not take it back.
    std::size_t width = text.size();
    const int columns = terminal_columns();
    if (columns > 1 && width >= static_cast<std::size_t>(columns)) width = static_cast<std::size_t>(columns) - 1;
    std::fprintf(stderr, "%s%.*s", erase_line_sequence(), static_cast<int>(width), text.c_str());
    std::fflush(stderr);
    shown_ = true;
    drawn_ = now;
}

void ProgressLine::hide()
{
    if (!shown_) return;
    std::fputs(erase_line_sequence(), stderr);
    std::fflush(stderr);
    shown_ = false;
}
