// A line's positions as the bits of one value: bit p for position p, 0 to MAX_LINES + 1, and
// likewise an automaton's states. The window's lines fit a 32-bit word; the tool's longer lines
// take a 64-bit word or a few of them. The line routines use the operators and the helpers
// below alone, so the same code serves every width.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "state.h"

inline namespace OMBRASEL_CORE {

// A fixed number of 64-bit words, the lowest first, with the operators of an unsigned integer.
template <int WORDS>
struct WideBits {
    std::uint64_t w[WORDS];

    explicit constexpr operator bool() const
    {
        std::uint64_t any = 0;
        for (int i = 0; i < WORDS; ++i) any |= w[i];
        return any != 0;
    }
    friend constexpr bool operator==(const WideBits&, const WideBits&) = default;
    friend constexpr WideBits operator&(WideBits a, const WideBits& b)
    {
        for (int i = 0; i < WORDS; ++i) a.w[i] &= b.w[i];
        return a;
    }
    friend constexpr WideBits operator|(WideBits a, const WideBits& b)
    {
        for (int i = 0; i < WORDS; ++i) a.w[i] |= b.w[i];
        return a;
    }
    friend constexpr WideBits operator^(WideBits a, const WideBits& b)
    {
        for (int i = 0; i < WORDS; ++i) a.w[i] ^= b.w[i];
        return a;
    }
    friend constexpr WideBits operator~(WideBits a)
    {
        for (int i = 0; i < WORDS; ++i) a.w[i] = ~a.w[i];
        return a;
    }
    // Shifts by 0 to 64 * WORDS - 1 places.
    friend constexpr WideBits operator<<(const WideBits& a, int n)
    {
        WideBits out{};
        const int words = n >> 6, bits = n & 63;
        for (int i = WORDS - 1; i >= words; --i) {
            out.w[i] = a.w[i - words] << bits;
            if (bits && i - words > 0) out.w[i] |= a.w[i - words - 1] >> (64 - bits);
        }
        return out;
    }
    friend constexpr WideBits operator>>(const WideBits& a, int n)
    {
        WideBits out{};
        const int words = n >> 6, bits = n & 63;
        for (int i = 0; i + words < WORDS; ++i) {
            out.w[i] = a.w[i + words] >> bits;
            if (bits && i + words + 1 < WORDS) out.w[i] |= a.w[i + words + 1] << (64 - bits);
        }
        return out;
    }
    constexpr WideBits& operator&=(const WideBits& b) { return *this = *this & b; }
    constexpr WideBits& operator|=(const WideBits& b) { return *this = *this | b; }
};

template <int POSITIONS>
using BitsFor = std::conditional_t<POSITIONS <= 32, std::uint32_t,
                                   std::conditional_t<POSITIONS <= 64, std::uint64_t, WideBits<(POSITIONS + 63) / 64>>>;

using LineBits = BitsFor<MAX_LINES + 2>;

template <class T>
constexpr bool IS_WORD = std::is_unsigned_v<T>;

constexpr int bit_width_of(std::uint32_t) { return 32; }
constexpr int bit_width_of(std::uint64_t) { return 64; }
template <int WORDS>
constexpr int bit_width_of(const WideBits<WORDS>&) { return 64 * WORDS; }

// Bit p alone.
template <class T = LineBits>
constexpr T bit_at(i32 p)
{
    if constexpr (IS_WORD<T>) {
        return T{1} << p;
    } else {
        T out{};
        out.w[p >> 6] = std::uint64_t{1} << (p & 63);
        return out;
    }
}

// Bit p when `yes`, else none; without a branch where the bits are one word.
template <class T = LineBits>
constexpr T bit_if(bool yes, i32 p)
{
    if constexpr (IS_WORD<T>)
        return T{yes} << p;
    else
        return yes ? bit_at<T>(p) : T{};
}

template <class T>
constexpr bool has_bit(const T& bits, i32 p)
{
    if constexpr (IS_WORD<T>)
        return ((bits >> p) & 1u) != 0;
    else
        return ((bits.w[p >> 6] >> (p & 63)) & 1u) != 0;
}

template <class T>
constexpr T no_bits()
{
    return T{};
}

template <class T>
constexpr T all_bits()
{
    return ~T{};
}

// The lowest bit set; the value's width when none is.
template <class T>
constexpr i32 lowest(const T& bits)
{
    if constexpr (IS_WORD<T>) {
        return std::countr_zero(bits);
    } else {
        constexpr int WORDS = sizeof bits.w / sizeof bits.w[0];
        int i = 0;
        while (i < WORDS - 1 && !bits.w[i]) ++i;
        return 64 * i + std::countr_zero(bits.w[i]);
    }
}

// The highest bit set; -1 when none is.
template <class T>
constexpr i32 highest(const T& bits)
{
    if constexpr (IS_WORD<T>) {
        return bit_width_of(bits) - 1 - std::countl_zero(bits);
    } else {
        int i = sizeof bits.w / sizeof bits.w[0] - 1;
        while (i > 0 && !bits.w[i]) --i;
        return 64 * i + 63 - std::countl_zero(bits.w[i]);
    }
}

// The bits below the lowest clear one.
template <class T>
constexpr i32 trailing_ones(const T& bits)
{
    if constexpr (IS_WORD<T>) {
        return std::countr_one(bits);
    } else {
        constexpr int WORDS = sizeof bits.w / sizeof bits.w[0];
        int i = 0;
        while (i < WORDS && bits.w[i] == ~std::uint64_t{0}) ++i;
        return i == WORDS ? 64 * WORDS : 64 * i + std::countr_one(bits.w[i]);
    }
}

// The value without its lowest bit set.
template <class T>
constexpr T without_lowest(const T& bits)
{
    if constexpr (IS_WORD<T>) {
        return bits & (bits - 1);
    } else {
        T out = bits;
        int i = 0;
        while (!out.w[i]) ++i;
        out.w[i] &= out.w[i] - 1;
        return out;
    }
}

// Bits 0 to b, for -1 <= b < the value's width (none for -1).
template <class T = LineBits>
constexpr T bits_up_to(i32 b)
{
    if constexpr (std::is_same_v<T, std::uint32_t>) {
        // No branch, as it sits in every packing step.
        return static_cast<std::uint32_t>((std::uint64_t{1} << ((b + 1) & 63)) - 1);
    } else if constexpr (std::is_same_v<T, std::uint64_t>) {
        return b < 0 ? 0 : ~std::uint64_t{0} >> (63 - b);
    } else {
        T out{};
        constexpr int WORDS = sizeof out.w / sizeof out.w[0];
        for (int i = 0; i < WORDS; ++i) {
            const int top = b - 64 * i;  // the highest bit of this word to set
            out.w[i] = top < 0 ? 0 : top >= 63 ? ~std::uint64_t{0} : ~std::uint64_t{0} >> (63 - top);
        }
        return out;
    }
}

// Bits a to b, for 1 <= a; none when b < a.
template <class T = LineBits>
constexpr T bits_between(i32 a, i32 b)
{
    return bits_up_to<T>(b) & ~bits_up_to<T>(a - 1);
}

// All ones when `yes`, none otherwise.
template <class T>
constexpr T all_if(bool yes)
{
    if constexpr (IS_WORD<T>)
        return T{0} - T{yes};
    else
        return yes ? all_bits<T>() : no_bits<T>();
}

}  // namespace OMBRASEL_CORE
