// YStyleConfiguration: the user's choice of style, kept in "Style.cfg" in the product's data
// folder: the style preset's name, the four main colours and the scale.
//
// The file is one XML document, root "StyleConfiguration", with the keys as attributes:
//   Style="Default (light)" maincolor0="506B87FF" ... maincolor3="1277E3A6"
// and, only when the scale is not 1, resizex / resizey (decimal). Colours are "RRGGBBAA".
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"
#include "gui/drawing/YGeometry.h"

#include <array>

class YXMLItem;

class YStyleConfiguration {
public:
    static constexpr const char* kFileName = "Style.cfg";
    static constexpr const char* kRootName = "StyleConfiguration";

    enum class Outcome {
        kRead,    // the file was there and whole
        kCreated, // there was none: the defaults were written
        kDamaged, // unreadable or with bad values: the defaults are in use, the file stays
    };

    // The defaults: "Default (light)" with the four default main colours, scale 1.
    YStyleConfiguration();

    YString style;
    std::array<YColor, 4> mainColors;
    YPointF resize{1.0f, 1.0f};

    // The file in folder.
    static YString FileName(const YString& folder);
    // Reads folder's file into this configuration. A missing file gets the defaults and is
    // written with them; a damaged one leaves the defaults in place and its reason in *why.
    Outcome Load(const YString& folder, YString* why = nullptr);
    // Writes the file (indented, utf-8); raises when it cannot be written.
    void Save(const YString& folder) const;

    // The keys as attributes of item, and back. FromXML raises "Invalid color value ({0})."
    // for a bad colour and "Invalid style configuration." for a wrong root or a bad scale.
    void ToXML(YXMLItem& item) const;
    void FromXML(const YXMLItem& item);
};
