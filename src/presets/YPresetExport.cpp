#include "presets/YPresetExport.h"

#include "foundation/YException.h"
#include "foundation/YXMLDocument.h"
#include "platform/YStdFileStream.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetFileWriter.h"
#include "presets/YPresetTree.h"

#include <vector>

namespace {
// Every item below root must be a folder or a preset whose settings can be read.
void Check(const YXMLItem& root) {
    std::vector<const YXMLItem*> pending{&root};
    while (!pending.empty()) {
        const YXMLItem* folder = pending.back();
        pending.pop_back();
        for (const YXMLItem& child : folder->Children()) {
            if (YPresetTree::IsFolder(child)) {
                pending.push_back(&child);
            } else if (YPresetTree::IsPreset(child)) {
                try {
                    YPresetContent::Settings(child);
                } catch (const YException& error) {
                    YRaiseFormat(YException::kGeneral, "The preset \"{0}\" is damaged. {1}",
                                 YPresetTree::ItemName(child), error.Message());
                }
            } else {
                YRaiseFormat(YException::kGeneral, "\"{0}\" is neither a folder nor a preset.", child.GetName());
            }
        }
    }
}
} // namespace

void YPresetExport::Export(const YXMLItem& folder, const YString& fileName) {
    YXMLDocument document(YString::Literal(kRootName));
    for (const YXMLItem& child : folder.Children()) YPresetContent::CopyTree(child, document.AddChild(child.GetName()));
    YPresetFileWriter::Write(document, fileName, YPresetFileWriter::Previous::kDiscard);
}

void YPresetExport::Import(YXMLItem& folder, const YString& fileName) {
    YXMLDocument document;
    try {
        YStdFileStream stream(fileName, YStdFileStream::kRead);
        document.Load(stream);
        if (document.GetName() != YString::Literal(kRootName))
            YRaiseFormat(YException::kGeneral, "Its root is \"{0}\", not \"{1}\".", document.GetName(),
                         YString::Literal(kRootName));
        Check(document);
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "\"{0}\" is not a preset directory that can be imported. {1}", fileName,
                     error.Message());
    }
    // Converted in the loaded copy, so a failure still leaves the folder as it was.
    YPresetTree tree;
    YXMLItem& staging = tree.TopFolder();
    for (const YXMLItem& child : document.Children()) YPresetContent::CopyTree(child, staging.AddChild(child.GetName()));
    tree.ConvertInlinePresets();
    std::vector<YXMLAttribute> attributes;
    for (int32_t i = 0; i < folder.GetAttributeCount(); ++i) attributes.push_back(folder.GetAttributeAt(i));
    folder.Clear();
    for (YXMLAttribute& attribute : attributes) folder.SetAttribute(attribute.name, attribute.value);
    for (const YXMLItem& child : staging.Children()) YPresetContent::CopyTree(child, folder.AddChild(child.GetName()));
}
