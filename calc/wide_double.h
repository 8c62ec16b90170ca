#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace estrivo::detail {

// A double's 53-bit significand, rounded after every operation, with an exponent range wide
// enough that no step of the calculation overflows or underflows before its result is stored.
class WideDouble
{
public:
    static WideDouble of(double value)
    {
        WideDouble w;
        if (value == 0.0 || !std::isfinite(value)) {
            w.m_fraction = value;
            return w;
        }
        int exponent = 0;
        w.m_fraction = std::frexp(value, &exponent);
        w.m_exponent = exponent;
        return w;
    }

    // Rounds into the range of a double: infinity above it, subnormal or zero below it.
    double toDouble() const
    {
        if (isSpecial())
            return m_fraction;
        if (m_exponent > std::numeric_limits<double>::max_exponent)
            return std::copysign(std::numeric_limits<double>::infinity(), m_fraction);
        if (m_exponent < std::numeric_limits<double>::min_exponent - 60)
            return std::copysign(0.0, m_fraction);
        return std::ldexp(m_fraction, static_cast<int>(m_exponent));
    }

    friend WideDouble operator*(WideDouble a, WideDouble b)
    {
        if (a.isSpecial() || b.isSpecial()) {
            const bool negative = std::signbit(a.m_fraction) != std::signbit(b.m_fraction);
            if (std::isnan(a.m_fraction) || std::isnan(b.m_fraction))
                return of(std::numeric_limits<double>::quiet_NaN());
            if (std::isinf(a.m_fraction) || std::isinf(b.m_fraction)) {
                if (a.m_fraction == 0.0 || b.m_fraction == 0.0)
                    return of(std::numeric_limits<double>::quiet_NaN());
                return of(negative ? -kInfinity : kInfinity);
            }
            return of(negative ? -0.0 : 0.0);
        }
        return normalised(a.m_fraction * b.m_fraction, a.m_exponent + b.m_exponent);
    }

    friend WideDouble operator/(WideDouble a, WideDouble b)
    {
        if (a.isSpecial() || b.isSpecial()) {
            const bool negative = std::signbit(a.m_fraction) != std::signbit(b.m_fraction);
            const double inf = negative ? -kInfinity : kInfinity;
            if (std::isnan(a.m_fraction) || std::isnan(b.m_fraction))
                return of(std::numeric_limits<double>::quiet_NaN());
            if (std::isinf(a.m_fraction))
                return of(std::isinf(b.m_fraction) ? std::numeric_limits<double>::quiet_NaN()
                                                   : inf);
            if (std::isinf(b.m_fraction))
                return of(negative ? -0.0 : 0.0);
            if (b.m_fraction == 0.0)
                return of(a.m_fraction == 0.0 ? std::numeric_limits<double>::quiet_NaN() : inf);
            return of(negative ? -0.0 : 0.0); // a is zero
        }
        return normalised(a.m_fraction / b.m_fraction, a.m_exponent - b.m_exponent);
    }

    friend WideDouble operator+(WideDouble a, WideDouble b)
    {
        if (!std::isfinite(a.m_fraction) || !std::isfinite(b.m_fraction)) {
            if (std::isfinite(b.m_fraction))
                return a;
            if (std::isfinite(a.m_fraction))
                return b;
            return of(a.m_fraction + b.m_fraction);
        }
        if (a.m_fraction == 0.0)
            return b.m_fraction == 0.0 ? of(a.m_fraction + b.m_fraction) : b;
        if (b.m_fraction == 0.0)
            return a;
        const std::int64_t top = std::max(a.m_exponent, b.m_exponent);
        // Both fractions lie in [0.5, 1): a term more than 60 binary places below the other is
        // less than a quarter of its last place and cannot change the rounded sum.
        if (top - a.m_exponent > kNegligibleShift)
            return b;
        if (top - b.m_exponent > kNegligibleShift)
            return a;
        const double sum = std::ldexp(a.m_fraction, static_cast<int>(a.m_exponent - top))
                           + std::ldexp(b.m_fraction, static_cast<int>(b.m_exponent - top));
        return normalised(sum, top);
    }

    friend WideDouble operator-(WideDouble a, WideDouble b)
    {
        b.m_fraction = -b.m_fraction;
        return a + b;
    }

    // Rounds towards minus infinity to a whole number.
    WideDouble floor() const
    {
        if (isSpecial() || m_exponent >= 53)
            return *this;    // already whole
        if (m_exponent <= 0) // |value| < 1
            return of(m_fraction < 0.0 ? -1.0 : 0.0);
        return of(std::floor(std::ldexp(m_fraction, static_cast<int>(m_exponent))));
    }

private:
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();
    static constexpr std::int64_t kNegligibleShift = 60;

    bool isSpecial() const { return m_fraction == 0.0 || !std::isfinite(m_fraction); }

    static WideDouble normalised(double fraction, std::int64_t exponent)
    {
        WideDouble w = of(fraction); // fraction is a normal double here, or zero
        if (w.m_fraction != 0.0)
            w.m_exponent += exponent;
        return w;
    }

    double m_fraction = 0.0;     // 0, a non-finite value, or a magnitude in [0.5, 1)
    std::int64_t m_exponent = 0; // value = m_fraction × 2^m_exponent
};

} // namespace estrivo::detail
