// YPresetExport: a folder of presets in a file of its own ("ypresets"): a document with root
// "ExportPresets" holding copies of the folder's children.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

class YPresetExport {
public:
    static constexpr const char* kRootName = "ExportPresets";
    static constexpr const char* kExtension = "ypresets";

    // Writes the folder's children (indented, "utf-8") through a temporary file. Raises when
    // the file cannot be written; an existing file is then left as it was.
    static void Export(const YXMLItem& folder, const YString& fileName);
    // Replaces the folder's children by those of the file. The file is read and checked
    // whole first (root "ExportPresets", only folders and presets, every preset's content
    // readable); on any fault it raises and the folder is unchanged. Presets in the older
    // inline form are converted on the way in.
    static void Import(YXMLItem& folder, const YString& fileName);
};
