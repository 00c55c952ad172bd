// A platform to write a new file through with a writer that knows one name, which it replaces:
// here its move onto that name becomes a move to the first name of a list that nothing holds,
// never over a file that is there, so that a name is taken only by the whole file and a program
// killed while writing leaves none taken. The player saves clips into its folder this way; the
// command line writes an OUT that may not replace a file this way, with the one name given, so
// that a file made there while the clip was written is kept and the clip fails.
#pragma once

#include <string>

#include "device/file_replacement.h"
#include "platform/forwarding_platform.h"

namespace kovra {

class FreeNamePlatform final : public ForwardingPlatform {
  public:
    // Moves onto nameFor(1) go to the first free name of nameFor(1) ... nameFor(tries).
    FreeNamePlatform(Platform& real, NameFor nameFor, unsigned tries)
        : ForwardingPlatform(real), nameFor_(std::move(nameFor)), first_(nameFor_(1)),
          tries_(tries) {}

    // The name given to the clip job.
    const std::string& first() const { return first_; }
    // The name the clip was moved to, or the one its move failed on; empty before a move.
    const std::string& named() const { return named_; }

    // Each form of the move goes the one durable way: whatever flush the clip job chose, a new
    // name is flushed at once, as replace() is.
    OsError replace(const char* source, const char* target) override {
        return move(source, target, [&] { return real_.replace(source, target); });
    }
    OsError replaceUnflushed(const char* source, const char* target) override {
        return move(source, target, [&] { return real_.replaceUnflushed(source, target); });
    }
    OsError replaceFlushedLater(const char* source, const char* target) override {
        return move(source, target, [&] { return real_.replaceFlushedLater(source, target); });
    }

  private:
    template <typename Other> OsError move(const char* source, const char* target, Other other) {
        if (first_ != target)
            return other();
        return moveToFreeName(real_, source, nameFor_, tries_, named_);
    }

    NameFor nameFor_;
    std::string first_;
    unsigned tries_;
    std::string named_;
};

} // namespace kovra
