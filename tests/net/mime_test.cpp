#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/mime.h"

namespace qm {
namespace {

struct MimeCase {
    std::string type;
    std::string extensions;
    bool media;
};

void ExpectMime(const std::vector<MimeCase>& cases) {
    for (const MimeCase& c : cases) {
        EXPECT_EQ(MimeToExt(c.type), c.extensions) << "type: " << c.type;
        EXPECT_EQ(IsMediaType(c.type), c.media) << "type: " << c.type;
    }
}

TEST(MimeToExt, EveryKnownType) {
    ExpectMime({
        {"image/x-jg", "art", true},
        {"image/bmp", "bmp", true},
        {"image/vnd.microsoft.icon", "ico", true},
        {"image/x-icon", "ico", true},
        {"image/gif", "gif", true},
        {"image/jpeg", "jpg|jpeg", true},
        {"image/pjpeg", "jpg|jpeg", true},
        {"image/png", "png", true},
        {"image/svg+xml", "svg", true},
        {"image/tiff", "tiff", true},
        {"image/vnd.wap.wbmp", "wbmp", true},
        {"image/webp", "webp", true},
        {"audio/aac", "aac", true},
        {"audio/aiff", "aif|aiff", true},
        {"audio/x-aiff", "aif|aiff", true},
        {"audio/basic", "au", true},
        {"audio/x-au", "au", true},
        {"audio/x-jam", "jam", true},
        {"audio/x-mpegurl", "m3u|m3u8", true},
        {"audio/mpegurl", "m3u|m3u8", true},
        {"application/vnd.apple.mpegurl", "m3u|m3u8", true},
        {"audio/mid", "mid|rmi", true},
        {"audio/x-mid", "mid|rmi", true},
        {"audio/x-midi", "mid|rmi", true},
        {"application/x-midi", "mid|rmi", true},
        {"audio/mod", "mod", true},
        {"audio/mpeg", "mp2|mpg|mpa|mpga", true},
        {"audio/x-mpeg", "mp2", true},
        {"video/x-mpeq2a", "mp2", true},
        {"audio/mpeg3", "mp3", true},
        {"audio/x-mpeg-3", "mp3", true},
        {"audio/mp4", "mp4", true},
        {"video/mp4", "mp4", true},
        {"audio/ogg", "ogg", true},
        {"audio/vorbis", "ogg", true},
        {"audio/L24", "pcm", true},
        {"audio/vnd.rn-realaudio", "ra|rm|ram", true},
        {"audio/x-pn-realaudio", "ra|rm|ram", true},
        {"audio/x-realaudio", "ra|rm|ram", true},
        {"audio/wav", "wav", true},
        {"audio/x-wav", "wav", true},
        {"audio/vnd.wav", "wav", true},
        {"audio/vnd.wave", "wav", true},
        {"audio/webm", "webm", true},
        {"video/webm", "webm", true},
        {"audio/x-ms-wma", "wma", true},
        {"audio/x-ms-wax", "wma", true},
        {"audio/xm", "xm", true},
        {"video/x-ms-asf", "asf|asx", true},
        {"video/x-ms-asf-plugin", "asx", true},
        {"video/x-troff-msvideo", "avi", true},
        {"video/avi", "avi", true},
        {"video/msvideo", "avi", true},
        {"video/x-msvideo", "avi", true},
        {"video/x-dv", "dif", true},
        {"video/dl", "dl", true},
        {"video/x-dl", "dl", true},
        {"video/quicktime", "mov|qt", true},
        {"video/x-sgi-movie", "movie", true},
        {"video/mpeg", "mp2|mp3|mpa|mpg|mpeg", true},
        {"video/x-mpeg", "mp2|mp3", true},
        {"video/vnd.rn-realvideo", "rv", true},
        {"application/vnd.android.package-archive", "apk", false},
        {"application/java-archive", "jar", false},
        {"text/vnd.sun.j2me.app-descriptor", "jad", false},
        {"application/zip", "zip", false},
        {"application/x-7z-compressed", "7z", false},
        {"application/x-bzip2", "bz2", false},
        {"application/vnd.ms-cab-compressed", "cab", false},
        {"application/x-gzip", "gz", false},
        {"application/x-iso9660-image", "iso", false},
        {"application/x-lzh-compressed", "lzh", false},
        {"application/x-rar-compressed", "rar", false},
        {"application/x-tar", "tar", false},
        {"application/x-xz", "xz", false},
        {"application/x-compress", "z", false},
    });
}

TEST(MimeToExt, UnknownOrInexactTypesGiveNothing) {
    ExpectMime({
        {"text/html", "", false},
        {"text/plain", "", false},
        {"application/octet-stream", "", false},
        {"image/png; charset=x", "", false},
        {"image/png;", "", false},
        {"IMAGE/PNG", "", false},
        {"Image/png", "", false},
        {" image/png", "", false},
        {"image/png ", "", false},
        {"image/", "", false},
        {"image", "", false},
        {"", "", false},
        {std::string("image/png\0", 10), "", false},
        {std::string(4096, 'x'), "", false},
    });
}

} // namespace
} // namespace qm
