#include "net/mime.h"

#include <array>

namespace qm {
namespace {

enum class Media : bool { No = false, Yes = true };

struct MimeGroup {
    std::string_view extensions;
    Media media;
    std::array<std::string_view, 4> types; // unused places stay empty
};

// The order matters only for reading; no content type appears twice.
constexpr std::array<MimeGroup, 52> kGroups = {{
    {"art", Media::Yes, {"image/x-jg"}},
    {"bmp", Media::Yes, {"image/bmp"}},
    {"ico", Media::Yes, {"image/vnd.microsoft.icon", "image/x-icon"}},
    {"gif", Media::Yes, {"image/gif"}},
    {"jpg|jpeg", Media::Yes, {"image/jpeg", "image/pjpeg"}},
    {"png", Media::Yes, {"image/png"}},
    {"svg", Media::Yes, {"image/svg+xml"}},
    {"tiff", Media::Yes, {"image/tiff"}},
    {"wbmp", Media::Yes, {"image/vnd.wap.wbmp"}},
    {"webp", Media::Yes, {"image/webp"}},
    {"aac", Media::Yes, {"audio/aac"}},
    {"aif|aiff", Media::Yes, {"audio/aiff", "audio/x-aiff"}},
    {"au", Media::Yes, {"audio/basic", "audio/x-au"}},
    {"jam", Media::Yes, {"audio/x-jam"}},
    {"m3u|m3u8", Media::Yes, {"audio/x-mpegurl", "audio/mpegurl", "application/vnd.apple.mpegurl"}},
    {"mid|rmi", Media::Yes, {"audio/mid", "audio/x-mid", "audio/x-midi", "application/x-midi"}},
    {"mod", Media::Yes, {"audio/mod"}},
    {"mp2|mpg|mpa|mpga", Media::Yes, {"audio/mpeg"}},
    {"mp2", Media::Yes, {"audio/x-mpeg", "video/x-mpeq2a"}},
    {"mp3", Media::Yes, {"audio/mpeg3", "audio/x-mpeg-3"}},
    {"mp4", Media::Yes, {"audio/mp4", "video/mp4"}},
    {"ogg", Media::Yes, {"audio/ogg", "audio/vorbis"}},
    {"pcm", Media::Yes, {"audio/L24"}},
    {"ra|rm|ram",
     Media::Yes,
     {"audio/vnd.rn-realaudio", "audio/x-pn-realaudio", "audio/x-realaudio"}},
    {"wav", Media::Yes, {"audio/wav", "audio/x-wav", "audio/vnd.wav", "audio/vnd.wave"}},
    {"webm", Media::Yes, {"audio/webm", "video/webm"}},
    {"wma", Media::Yes, {"audio/x-ms-wma", "audio/x-ms-wax"}},
    {"xm", Media::Yes, {"audio/xm"}},
    {"asf|asx", Media::Yes, {"video/x-ms-asf"}},
    {"asx", Media::Yes, {"video/x-ms-asf-plugin"}},
    {"avi", Media::Yes, {"video/x-troff-msvideo", "video/avi", "video/msvideo", "video/x-msvideo"}},
    {"dif", Media::Yes, {"video/x-dv"}},
    {"dl", Media::Yes, {"video/dl", "video/x-dl"}},
    {"mov|qt", Media::Yes, {"video/quicktime"}},
    {"movie", Media::Yes, {"video/x-sgi-movie"}},
    {"mp2|mp3|mpa|mpg|mpeg", Media::Yes, {"video/mpeg"}},
    {"mp2|mp3", Media::Yes, {"video/x-mpeg"}},
    {"rv", Media::Yes, {"video/vnd.rn-realvideo"}},
    {"apk", Media::No, {"application/vnd.android.package-archive"}},
    {"jar", Media::No, {"application/java-archive"}},
    {"jad", Media::No, {"text/vnd.sun.j2me.app-descriptor"}},
    {"zip", Media::No, {"application/zip"}},
    {"7z", Media::No, {"application/x-7z-compressed"}},
    {"bz2", Media::No, {"application/x-bzip2"}},
    {"cab", Media::No, {"application/vnd.ms-cab-compressed"}},
    {"gz", Media::No, {"application/x-gzip"}},
    {"iso", Media::No, {"application/x-iso9660-image"}},
    {"lzh", Media::No, {"application/x-lzh-compressed"}},
    {"rar", Media::No, {"application/x-rar-compressed"}},
    {"tar", Media::No, {"application/x-tar"}},
    {"xz", Media::No, {"application/x-xz"}},
    {"z", Media::No, {"application/x-compress"}},
}};

const MimeGroup* FindGroup(std::string_view contentType) {
    for (const MimeGroup& group : kGroups)
        for (std::string_view type : group.types)
            if (!type.empty() && type == contentType) return &group;
    return nullptr;
}

} // namespace

std::string MimeToExt(std::string_view contentType) {
    const MimeGroup* group = FindGroup(contentType);
    return group ? std::string(group->extensions) : std::string();
}

bool IsMediaType(std::string_view contentType) {
    const MimeGroup* group = FindGroup(contentType);
    return group && group->media == Media::Yes;
}

} // namespace qm
