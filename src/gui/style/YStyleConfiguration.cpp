#include "gui/style/YStyleConfiguration.h"

#include "foundation/YException.h"
#include "foundation/YXMLDocument.h"
#include "gui/style/YBaseStyle.h"
#include "gui/style/YStyleColors.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"
#include "platform/YStdFileStream.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kColorKeys[] = {"maincolor0", "maincolor1", "maincolor2", "maincolor3"};

float ReadScale(const YString& text) {
    const std::string utf8 = text.ToUTF8();
    char* end = nullptr;
    const double value = std::strtod(utf8.c_str(), &end);
    if (end == utf8.c_str() || *end != '\0' || !std::isfinite(value) || value < 0.5 || value > 4.0)
        YRaise("Invalid style configuration.");
    return static_cast<float>(value);
}

YString WriteScale(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return YString::FromUTF8(text);
}

} // namespace

YStyleConfiguration::YStyleConfiguration()
    : style(YString::Literal(YBaseStyle::kLightName)), mainColors(YBaseStyle::kDefaultMainColors) {}

YString YStyleConfiguration::FileName(const YString& folder) {
    return YPlatformFolders::Child(folder, YString::Literal(kFileName));
}

void YStyleConfiguration::ToXML(YXMLItem& item) const {
    item.SetAttribute("Style", style);
    for (size_t i = 0; i < mainColors.size(); ++i)
        item.SetAttribute(YString::Literal(kColorKeys[i]), YStyleColorText(mainColors[i]));
    if (resize.x != 1.0f || resize.y != 1.0f) {
        item.SetAttribute("resizex", WriteScale(resize.x));
        item.SetAttribute("resizey", WriteScale(resize.y));
    }
}

void YStyleConfiguration::FromXML(const YXMLItem& item) {
    if (item.GetName() != YString::Literal(kRootName)) YRaise("Invalid style configuration.");
    // Everything is read into a copy first, so a bad value changes nothing.
    YStyleConfiguration read;
    if (const YString* v = item.FindAttribute("Style")) read.style = *v;
    for (size_t i = 0; i < mainColors.size(); ++i) {
        if (const YString* v = item.FindAttribute(YString::Literal(kColorKeys[i]))) read.mainColors[i] = YStyleColorParse(*v);
    }
    if (const YString* v = item.FindAttribute("resizex")) read.resize.x = ReadScale(*v);
    if (const YString* v = item.FindAttribute("resizey")) read.resize.y = ReadScale(*v);
    *this = read;
}

YStyleConfiguration::Outcome YStyleConfiguration::Load(const YString& folder, YString* why) {
    *this = YStyleConfiguration();
    const YString path = FileName(folder);
    if (!YPlatformFile::Exists(path)) {
        // Writing the defaults is a courtesy: a folder we cannot write still gets them in memory.
        YGuard("YStyleConfiguration::Load", [&] { Save(folder); });
        return Outcome::kCreated;
    }
    try {
        YXMLDocument document;
        YStdFileStream stream(path, YStdFileStream::kRead);
        document.Load(stream);
        FromXML(document);
        return Outcome::kRead;
    } catch (const YException& e) {
        *this = YStyleConfiguration();
        if (why != nullptr) *why = e.Message();
        return Outcome::kDamaged;
    }
}

void YStyleConfiguration::Save(const YString& folder) const {
    YXMLDocument document(YString::Literal(kRootName));
    ToXML(document);
    YStdFileStream stream(FileName(folder), YStdFileStream::kCreate | YStdFileStream::kWrite);
    document.Save(stream, "utf-8");
    stream.Close();
}
