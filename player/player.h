// The local player's media, as values for the HTTP server to answer with: a video's frames as
// the recorder's own JPEG, a span of its sound as WAV, a clip or a frame saved into the save
// folder. The server names each video by the path it listed at start-up (never a path a
// request spells) and hands over values it has parsed; what went wrong comes back as a
// Failure, whose refusal the server maps to a status:
//
//   NotFound -> 404   BadRequest -> 400   Unusable, NoSound -> 422   TooLarge -> 413
//   Unreadable, Unwritable -> 500 (the file and the system's reason in the text)
//
// Called from one server thread: a Player holds no lock, and two threads must not share one.
// Its memory is the caches' bounds (a few MiB of readings, two of pictures) and the one answer
// being built.
#pragma once

#include <cstdint>
#include <string>

#include "clips/clip_job.h"
#include "platform/platform.h"
#include "player/answers.h"
#include "player/picture_cache.h"
#include "player/reading_cache.h"

namespace kovra::player {

struct PlayerSettings {
    std::string saveFolder;             // --save; made where it is missing
    std::int64_t clockOffsetMillis = 0; // --clock-offset: what the recorder's clock is off by
    std::size_t cacheBytes = kDefaultCacheBytes;
    std::size_t pictureBytes = kDefaultPictureBytes; // the strips kept for previews
};

class Player {
  public:
    Player(Platform& platform, PlayerSettings settings)
        : platform_(platform), settings_(std::move(settings)), cache_(settings_.cacheBytes),
          pictures_(settings_.pictureBytes) {}

    // GET /api/videos/ID/frames/N: frame n (from 0) of the video; past the end NotFound. One
    // read of the frame's bytes, once the video's reading is kept.
    FrameAnswer frame(const std::string& video, std::uint64_t n);
    // GET /api/videos/ID/sound?from=S&to=S: the sound of the frames that start in the span,
    // cut where a clip of it cuts (see player/sound.h).
    SoundAnswer sound(const std::string& video, double fromSeconds, double toSeconds);
    // GET /api/videos/ID/pictures: the gallery's strip of the video (the pictures the gallery
    // makes of it, byte for byte), each with its frame and time; made on the first request and
    // kept while the video stays as it was.
    PicturesAnswer pictures(const std::string& video);
    // GET /api/videos/ID/pictures/K: picture k of that strip; past its end NotFound, a frame
    // that gave no picture Unusable.
    PictureAnswer picture(const std::string& video, std::uint64_t k);
    // POST /api/frames {"id","n"}: frame n saved into the save folder as the recorder's JPEG;
    // the document {"path": the file written}.
    SavedAnswer saveFrame(const std::string& video, std::uint64_t n);
    // POST /api/clips {"start","end"}: the texts as `clip --start --end` takes them, cut from
    // the card's videos (clips::findRangeCandidates() of the card, as `clip --from` finds
    // them) into the save folder; the document `clip --json` prints.
    SavedAnswer saveClip(const clips::RangeCandidates& card, const std::string& start,
                         const std::string& end);

    const ReadingCache& cache() const { return cache_; }
    const PictureCache& pictureCache() const { return pictures_; }

  private:
    // The kept reading of video, or failure set.
    std::shared_ptr<const CachedVideo> reading(const std::string& video, Failure& failure);
    // The video read whole in place of a glance that met a chunk where its index misstates it;
    // none (failure set where the reading failed) for one read whole already.
    std::shared_ptr<const CachedVideo> readingAgain(const CachedVideo& glanced, Failure& failure);

    Platform& platform_;
    PlayerSettings settings_;
    ReadingCache cache_;
    PictureCache pictures_;
};

} // namespace kovra::player
