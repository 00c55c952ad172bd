#include "gallery/page_key.h"

#include <cstdint>
#include <cstdio>

#include "gallery/page_template.h"

namespace kovra::gallery {

namespace {

// Raised whenever renderPage() draws the same texts otherwise (its layout, its order, what it
// adds of its own): a page drawn by the earlier code is then drawn again. The template's own
// text and the program's version are in the digest already.
constexpr int kDrawingVersion = 1;

// FNV-1a, 64 bits: a page is compared with the one drawn from the same texts by the same
// program, not guarded against someone forging one.
constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

class Digest {
  public:
    void bytes(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            value_ ^= static_cast<unsigned char>(data[i]);
            value_ *= kFnvPrime;
        }
    }
    void number(std::uint64_t n) {
        char little[8];
        for (char& byte : little) {
            byte = static_cast<char>(n & 0xFF);
            n >>= 8;
        }
        bytes(little, sizeof little);
    }
    // Each text after its length, so that no two lists of texts run together the same.
    void text(const std::string& s) {
        number(s.size());
        bytes(s.data(), s.size());
    }
    void texts(const std::vector<std::string>& list) {
        number(list.size());
        for (const std::string& s : list)
            text(s);
    }
    void facts(const std::vector<Fact>& list) {
        number(list.size());
        for (const Fact& fact : list) {
            text(fact.label);
            text(fact.value);
        }
    }
    void picture(const std::optional<PagePicture>& picture) {
        number(picture.has_value());
        if (picture) {
            text(picture->link);
            number(picture->width);
            number(picture->height);
        }
    }
    void time(const std::optional<clips::ClockMillis>& millis) {
        number(millis.has_value());
        if (millis)
            number(static_cast<std::uint64_t>(*millis));
    }
    std::string hex() const {
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(value_));
        return out;
    }

  private:
    std::uint64_t value_ = kFnvOffset;
};

} // namespace

std::string pageInputsDigest(const PageCard& card, const std::vector<PageVideo>& videos) {
    Digest digest;
    digest.number(kDrawingVersion);
    digest.text(KOVRA_VERSION);
    digest.text(kPageTemplate);
    digest.text(card.title);
    digest.facts(card.glance);
    digest.facts(card.settings);
    digest.text(card.settingsAbsent);
    digest.text(card.clock);
    digest.number(videos.size());
    for (const PageVideo& video : videos) {
        digest.text(video.name);
        digest.text(video.link);
        digest.text(video.state);
        digest.texts(video.findings);
        digest.facts(video.facts);
        digest.time(video.start);
        digest.time(video.end);
        digest.text(video.startText);
        digest.text(video.endText);
        digest.picture(video.cover);
        digest.text(video.coverRefused);
        digest.number(video.strip.size());
        for (const std::optional<PagePicture>& picture : video.strip)
            digest.picture(picture);
        digest.texts(video.stripRefused);
    }
    return digest.hex();
}

std::string pageDigest(const std::string& page) {
    Digest digest;
    digest.bytes(page.data(), page.size());
    return digest.hex();
}

} // namespace kovra::gallery
