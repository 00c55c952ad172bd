#include "server/browser_link.h"

#include "device/file_paths.h"
#include "platform/private_files.h"
#include "words/os_error_words.h"

namespace kovra::server {

namespace {

constexpr const char* kPageName = "open-kovra.html";

} // namespace

BrowserLink::~BrowserLink() {
    if (!page_.empty())
        platform_.remove(page_.c_str());
    if (!folder_.empty())
        removeFolder(folder_);
}

std::string BrowserLink::open(const std::string& url) {
    OsError error = makePrivateFolder(folder_);
    if (error != OsError::None) {
        folder_.clear();
        return "cannot make a private folder for the browser's page: " + words::describe(error);
    }
    std::string page = joinPath(folder_, kPageName);
    // The URL is this server's own, digits and hexadecimal: nothing in it needs escaping.
    std::string text = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                       "<meta http-equiv=\"refresh\" content=\"0; url=" +
                       url + "\"><title>Kovra</title></head><body><a href=\"" + url +
                       "\">Kovra</a></body></html>\n";
    error = writePrivateFile(page, text);
    if (error != OsError::None)
        return page + ": " + words::describe(error);
    page_ = page;
    error = platform_.shellOpen(page_.c_str());
    if (error != OsError::None)
        return "cannot open the browser: " + words::describe(error);
    return "";
}

} // namespace kovra::server
