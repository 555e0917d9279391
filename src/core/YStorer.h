// The storer: one Store operation serves both directions with the same keys, so writing and
// reading cannot drift apart.
#pragma once

class YXMLItem;

struct YStorer {
    bool Writing = true;      // true: write into Item; false: read from it
    YXMLItem* Item = nullptr; // the current item

    bool IsWriting() const noexcept { return Writing; }
    bool IsReading() const noexcept { return !Writing; }
};
