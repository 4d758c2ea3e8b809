// A puzzle's clues packed into a few bytes, to be sent to a worker process, and unpacked there.
#pragma once

#include <string>
#include <string_view>

#include "puzzle.h"

std::string pack_clues(const Puzzle& puzzle);
Puzzle unpack_clues(std::string_view packed);
