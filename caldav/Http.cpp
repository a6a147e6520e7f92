#include "caldav/Http.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

#include "caldav/CalDavError.h"

namespace {

// A reply larger than this is no calendar a person keeps; refusing it keeps memory bounded.
constexpr size_t MaxBody = 512u << 20;

struct TReceived {
    std::string* Body;
    std::string* ETag;
    bool TooLarge = false;
};

size_t OnBody(char* Data, size_t Size, size_t Count, void* User) {
    auto* R = static_cast<TReceived*>(User);
    if (R->Body->size() + Size * Count > MaxBody) {
        R->TooLarge = true;
        return 0;
    }
    R->Body->append(Data, Size * Count);
    return Size * Count;
}

size_t OnHeader(char* Data, size_t Size, size_t Count, void* User) {
    auto* R = static_cast<TReceived*>(User);
    std::string_view Line(Data, Size * Count);
    if (Line.size() > 5 && strncasecmp(Line.data(), "etag:", 5) == 0) {
        Line.remove_prefix(5);
        while (!Line.empty() && (Line.front() == ' ' || Line.front() == '\t')) Line.remove_prefix(1);
        while (!Line.empty() && (Line.back() == '\r' || Line.back() == '\n' || Line.back() == ' '))
            Line.remove_suffix(1);
        R->ETag->assign(Line);
    }
    return Size * Count;
}

struct TUrl {
    CURLU* H = curl_url();
    ~TUrl() { curl_url_cleanup(H); }
};

}  // namespace

THttpSession::THttpSession(std::string User, std::string Password)
    : FUser(std::move(User)), FPassword(std::move(Password)) {
    static std::once_flag Once;
    std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    FCurl = curl_easy_init();
    if (!FCurl) throw ECalDavError(ECalDavError::Network, "libcurl could not start a session");
}

THttpSession::~THttpSession() {
    curl_easy_cleanup(static_cast<CURL*>(FCurl));
}

THttpResponse THttpSession::Send(const std::string& Method, const std::string& Url,
                                 const std::vector<std::string>& Headers, const std::string& Body) {
    CURL* C = static_cast<CURL*>(FCurl);
    THttpResponse Out;
    TReceived R{&Out.Body, &Out.ETag};
    curl_slist* List = nullptr;
    for (const auto& H : Headers) List = curl_slist_append(List, H.c_str());
    // No "Expect: 100-continue" round trip before every body.
    List = curl_slist_append(List, "Expect:");

    curl_easy_reset(C);
    curl_easy_setopt(C, CURLOPT_URL, Url.c_str());
    curl_easy_setopt(C, CURLOPT_CUSTOMREQUEST, Method.c_str());
    curl_easy_setopt(C, CURLOPT_HTTPHEADER, List);
    curl_easy_setopt(C, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(C, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(C, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(C, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(C, CURLOPT_LOW_SPEED_TIME, FTimeout);
    curl_easy_setopt(C, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(C, CURLOPT_USERNAME, FUser.c_str());
    curl_easy_setopt(C, CURLOPT_PASSWORD, FPassword.c_str());
    curl_easy_setopt(C, CURLOPT_USERAGENT, "agendix-cal");
    curl_easy_setopt(C, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(C, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(C, CURLOPT_WRITEDATA, &R);
    curl_easy_setopt(C, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(C, CURLOPT_HEADERDATA, &R);
    if (!Body.empty() || Method == "PUT") {
        curl_easy_setopt(C, CURLOPT_POSTFIELDS, Body.data());
        curl_easy_setopt(C, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(Body.size()));
    } else if (Method == "GET" || Method == "DELETE") {
        curl_easy_setopt(C, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(C, CURLOPT_CUSTOMREQUEST, Method.c_str());
    }
    char Err[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(C, CURLOPT_ERRORBUFFER, Err);

    ++FRequests;
    CURLcode Rc = curl_easy_perform(C);
    curl_slist_free_all(List);
    if (R.TooLarge)
        throw ECalDavError(ECalDavError::Malformed, Method + " " + Url + ": reply larger than 512 MB");
    if (Rc != CURLE_OK)
        throw ECalDavError(ECalDavError::Network,
                           Method + " " + Url + ": " + (Err[0] ? Err : curl_easy_strerror(Rc)));
    curl_easy_getinfo(C, CURLINFO_RESPONSE_CODE, &Out.Status);
    return Out;
}

std::string ResolveUrl(const std::string& Base, const std::string& Href) {
    TUrl U;
    char* Out = nullptr;
    if (curl_url_set(U.H, CURLUPART_URL, Base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(U.H, CURLUPART_URL, Href.c_str(), 0) != CURLUE_OK ||
        curl_url_get(U.H, CURLUPART_URL, &Out, 0) != CURLUE_OK)
        throw ECalDavError(ECalDavError::Malformed, "not a usable address: " + Href);
    std::string S(Out);
    curl_free(Out);
    return S;
}

std::string UrlPath(const std::string& Base, const std::string& Href, bool Decode) {
    TUrl U;
    char* Out = nullptr;
    if (curl_url_set(U.H, CURLUPART_URL, Base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(U.H, CURLUPART_URL, Href.c_str(), 0) != CURLUE_OK ||
        curl_url_get(U.H, CURLUPART_PATH, &Out, Decode ? CURLU_URLDECODE : 0) != CURLUE_OK)
        throw ECalDavError(ECalDavError::Malformed, "not a usable address: " + Href);
    std::string S(Out);
    curl_free(Out);
    return S;
}
