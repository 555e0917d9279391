#include "gui/style/YStyleResourceFile.h"

#include "foundation/YException.h"
#include "foundation/YXMLCopy.h"
#include "platform/YStdFileStream.h"

namespace {

constexpr const char* kRoot = "yrf";
constexpr const char* kResource = "resource";

} // namespace

YStyleResourceFile::YStyleResourceFile() : m_document(YString::Literal(kRoot)) { m_document.SetAttribute("version", "1"); }

void YStyleResourceFile::Load(const YString& path) {
    try {
        YStdFileStream stream(path, YStdFileStream::kRead);
        m_document.LoadCompressed(stream);
        if (m_document.GetName() != YString::Literal(kRoot)) YRaise("Invalid style resource file.");
        for (YXMLItem::Iterator it(m_document); it.IsValid(); it.Next()) {
            if (it->GetName() != YString::Literal(kResource) || it->FindAttribute("name") == nullptr)
                YRaise("Invalid style resource file.");
        }
    } catch (...) {
        m_document.Clear();
        m_document.SetName(YString::Literal(kRoot));
        throw;
    }
}

void YStyleResourceFile::Save(const YString& path) const {
    YStdFileStream stream(path, YStdFileStream::kCreate | YStdFileStream::kWrite);
    m_document.SaveCompressed(stream);
    stream.Close();
}

const YXMLItem* YStyleResourceFile::Resource(const YString& name) const {
    for (YXMLItem::Iterator it(m_document, YString::Literal(kResource)); it.IsValid(); it.Next()) {
        if (const YString* n = it->FindAttribute("name"); n != nullptr && *n == name) return &*it;
    }
    return nullptr;
}

YXMLItem& YStyleResourceFile::SetResource(const YString& name) {
    YXMLItem* found = const_cast<YXMLItem*>(Resource(name));
    if (found == nullptr) {
        found = &m_document.AddChild(YString::Literal(kResource));
    } else {
        found->Clear();
    }
    found->SetAttribute("name", name);
    return *found;
}

std::vector<YString> YStyleResourceFile::TexturedStyleNames() const {
    std::vector<YString> names;
    if (const YXMLItem* list = Resource(YString::Literal(kStyleList))) {
        for (YXMLItem::Iterator it(*list, "style"); it.IsValid(); it.Next()) {
            if (const YString* n = it->FindAttribute("name")) names.push_back(*n);
        }
    }
    return names;
}

const YXMLItem* YStyleResourceFile::Definition(const YString& styleName) const {
    if (const YXMLItem* definitions = Resource(YString::Literal(kDefinitions))) {
        for (YXMLItem::Iterator it(*definitions, "definition"); it.IsValid(); it.Next()) {
            if (const YString* n = it->FindAttribute("name"); n != nullptr && *n == styleName) return &*it;
        }
    }
    return nullptr;
}

void YStyleResourceFile::PutDefinition(const YString& styleName, const YXMLItem& definition) {
    YXMLItem* definitions = const_cast<YXMLItem*>(Resource(YString::Literal(kDefinitions)));
    if (definitions == nullptr) definitions = &SetResource(YString::Literal(kDefinitions));
    if (YXMLItem* old = const_cast<YXMLItem*>(Definition(styleName))) definitions->RemoveChild(*old);
    YXMLItem& copy = definitions->AddChild("definition");
    YXMLCopyTree(definition, copy);
    copy.SetName("definition");
    copy.SetAttribute("name", styleName);

    YXMLItem* list = const_cast<YXMLItem*>(Resource(YString::Literal(kStyleList)));
    if (list == nullptr) list = &SetResource(YString::Literal(kStyleList));
    for (YXMLItem::Iterator it(*list, "style"); it.IsValid(); it.Next()) {
        if (const YString* n = it->FindAttribute("name"); n != nullptr && *n == styleName) return;
    }
    list->AddChild("style").SetAttribute("name", styleName);
}
