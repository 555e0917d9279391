// YResource: files built into the binary. The build compresses each one with gzip and writes its
// bytes into a generated source (cmake/VornikResources.cmake, vornik_embed_resource); code that
// uses one declares it with Y_DECLARE_RESOURCE and inflates it when it needs the bytes.
//
//     Y_DECLARE_RESOURCE(DefaultFont);                    // at namespace scope
//     std::vector<uint8_t> font = YResource::Inflate(YResources::DefaultFont);
//
// The declaration names the symbol the generated source defines, so the linker pulls that
// source out of any static library, and a resource nobody declares costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct YEmbeddedResource {
    const char* name;      // the name given to vornik_embed_resource
    const uint8_t* bytes;  // gzip data (RFC 1952)
    size_t size;
};

#define Y_DECLARE_RESOURCE(name)                                                                  \
    namespace YResources {                                                                        \
    extern const YEmbeddedResource name;                                                          \
    }

class YResource {
public:
    // Inflated size above which a resource is refused: resources are fonts and preset files,
    // and a damaged size field must not make us reserve gigabytes.
    static constexpr size_t kMaxInflatedBytes = 64u << 20;

    // The resource's original bytes. Data that is not one whole gzip member (bad header,
    // damaged deflate data, wrong check sum or length, bytes after the end, truncation) raises
    // "Resource \"<name>\" is damaged: <reason>."
    static std::vector<uint8_t> Inflate(const YEmbeddedResource& resource);
};
