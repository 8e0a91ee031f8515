#pragma once
// A small deterministic pseudo-random generator (SplitMix64) for seeding the
// demo catalog. Standard library distributions differ between library
// versions, so the catalog draws its numbers only through these helpers and
// comes out byte-identical on every machine.

#include <cstdint>
#include <vector>

class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n must be positive.
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

    // Uniform in [lo, hi].
    std::int64_t Between(std::int64_t lo, std::int64_t hi)
    {
        return lo + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(hi - lo) + 1));
    }

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

    bool Chance(unsigned percent) { return Below(100) < percent; }

    // Index drawn with the given non-negative weights (at least one positive).
    std::size_t Weighted(const std::vector<unsigned>& weights)
    {
        std::uint64_t total = 0;
        for (unsigned w : weights)
            total += w;
        std::uint64_t pick = Below(total);
        for (std::size_t i = 0; i < weights.size(); ++i) {
            if (pick < weights[i])
                return i;
            pick -= weights[i];
        }
        return weights.size() - 1;
    }

    template <class T>
    const T& Pick(const std::vector<T>& v)
    {
        return v[Below(v.size())];
    }

private:
    std::uint64_t state_;
};
