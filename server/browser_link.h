// The browser opened on the server's URL without the token on any command line, where every
// user of the machine could read it: a page that redirects to the URL, in a file only this
// user may read, in a folder of its own that goes when the server ends.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra::server {

class BrowserLink {
  public:
    explicit BrowserLink(Platform& platform) : platform_(platform) {}
    ~BrowserLink();
    BrowserLink(const BrowserLink&) = delete;
    BrowserLink& operator=(const BrowserLink&) = delete;

    // Writes the page and hands it to the desktop's open action; the reason it could not, or
    // empty.
    std::string open(const std::string& url);

  private:
    Platform& platform_;
    std::string folder_, page_;
};

} // namespace kovra::server
