// A progress line on standard error when it is a terminal: drawn in place, removed at the end.
#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr auto REDRAW_EVERY = std::chrono::milliseconds(100);
const char* const ERASE_LINE = "\r\033[K";  // to the line's start, then clear it

}  // namespace

ProgressLine::ProgressLine(bool wanted)
    : on_(wanted && isatty(STDERR_FILENO) == 1), out_on_terminal_(isatty(STDOUT_FILENO) == 1)
{
}

void ProgressLine::show(const std::string& text, bool force)
{
    if (!on_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && !force && now - drawn_ < REDRAW_EVERY) return;
    // A line longer than the terminal would wrap, and the next redraw could not take it back.
    std::size_t width = text.size();
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && width >= size.ws_col)
        width = size.ws_col - 1u;
    std::fprintf(stderr, "%s%.*s", ERASE_LINE, static_cast<int>(width), text.c_str());
    std::fflush(stderr);
    shown_ = true;
    drawn_ = now;
}

void ProgressLine::hide()
{
    if (!shown_) return;
    std::fputs(ERASE_LINE, stderr);
    std::fflush(stderr);
    shown_ = false;
}
