// YStyleResourceFile: "ystyle.yrf", the file of style resources in the product's data folder.
//
// Format: one XML document, zlib-compressed as the framework writes it (a hand-written plain
// XML file reads as well). Root "yrf" with version="1"; each child <resource name="..."> holds
// one named resource as XML:
//   - "YTexturedStyles": the list of textured styles, children <style name="..."/>;
//   - "ystyle": the definitions, children <definition name="...">, each in the textured
//     style's vocabulary (YTexturedStyle.h).
// Other resources are kept and written back untouched. Images a definition names are files
// relative to its "PATH" (the folder of the resource file when absent).
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

#include <vector>

class YStyleResourceFile {
public:
    static constexpr const char* kFileName = "ystyle.yrf";
    static constexpr const char* kStyleList = "YTexturedStyles";
    static constexpr const char* kDefinitions = "ystyle";

    YStyleResourceFile();

    // Replaces the contents with the file's. Raises the reader's error, or "Invalid style
    // resource file." for a document that is not a resource file; on failure the contents
    // are empty.
    void Load(const YString& path);
    void Save(const YString& path) const;

    // The resource of a name, nullptr when absent.
    const YXMLItem* Resource(const YString& name) const;
    // The resource of a name, emptied (created when absent).
    YXMLItem& SetResource(const YString& name);

    // The names in "YTexturedStyles", in order.
    std::vector<YString> TexturedStyleNames() const;
    // The definition of a style in "ystyle", nullptr when absent.
    const YXMLItem* Definition(const YString& styleName) const;
    // Adds or replaces a definition (a copy of definition, named) and lists the style.
    void PutDefinition(const YString& styleName, const YXMLItem& definition);

private:
    YXMLDocument m_document;
};
