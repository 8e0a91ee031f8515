#pragma once
// Writes palette PNGs of pictures that share most of their rows with a
// base picture (every item tile of one size has the same background; only
// the rows with writing differ). The rows that never change are packed
// once, here; each picture adds its changing rows unpacked (packing them
// would cost several times all the rest of a picture's work), and the pieces
// are joined into one stream.

#include <span>
#include <string>
#include <vector>

#include "IndexedImage.h"

class TPngEncoder {
public:
    struct TRows {
        int first; // first row
        int end;   // one past the last row
    };

    // Pictures whose rows outside `changing` equal those of `base`.
    explicit TPngEncoder(const TIndexedImage& base, std::vector<TRows> changing = {});

    // The picture the others are drawn on.
    const TIndexedImage& Base() const { return base_; }

    // The PNG of `picture`, of the base's size, with `palette` (at most 256
    // entries are written; no entries is one black one). Rows outside the
    // changing ones that differ from the base are added unpacked too; a
    // picture of another size is packed whole.
    std::string Encode(const TIndexedImage& picture, std::span<const TRgb> palette) const;

private:
    struct TPiece {
        TRows rows;
        bool fixed;
        std::string packed; // fixed pieces: raw deflate, ended by a sync flush
        unsigned long adler;
    };

    TIndexedImage base_;
    std::vector<TPiece> pieces_;
};
