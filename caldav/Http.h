#pragma once
#include <memory>
#include <string>
#include <vector>

// One HTTP connection to the server, kept open between requests (libcurl's connection cache).
struct THttpResponse {
    long Status = 0;
    std::string Body;
    std::string ETag;  // the ETag header as sent, quotes included; empty when none
};

class THttpSession {
  public:
    THttpSession(std::string User, std::string Password);
    ~THttpSession();
    THttpSession(const THttpSession&) = delete;
    THttpSession& operator=(const THttpSession&) = delete;

    // Sends one request and returns whatever status came back. A transport failure (refused,
    // timeout, lost connection, TLS) raises ECalDavError(Network) naming the URL.
    THttpResponse Send(const std::string& Method, const std::string& Url,
                       const std::vector<std::string>& Headers, const std::string& Body = {});
    // Seconds without progress after which a request is given up.
    void SetTimeout(long Seconds) { FTimeout = Seconds; }
    long RequestCount() const { return FRequests; }

  private:
    void* FCurl = nullptr;
    std::string FUser, FPassword;
    long FTimeout = 30;
    long FRequests = 0;
};

// Href (absolute, absolute path or relative) resolved against a base URL.
std::string ResolveUrl(const std::string& Base, const std::string& Href);
// The path part of a URL or href; with Decode, percent escapes decoded, so two spellings of one
// resource compare equal.
std::string UrlPath(const std::string& Base, const std::string& Href, bool Decode = true);
