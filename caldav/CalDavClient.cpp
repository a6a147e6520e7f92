#include "caldav/CalDavClient.h"

#include <algorithm>
#include <cctype>

#include "caldav/CalDavError.h"
#include "caldav/Multistatus.h"

namespace {

constexpr const char* Dav = "DAV:";
constexpr const char* CalDav = "urn:ietf:params:xml:ns:caldav";
constexpr const char* CalServer = "http://calendarserver.org/ns/";
constexpr size_t FetchBatch = 200;

const std::string XmlType = "Content-Type: application/xml; charset=utf-8";

bool Has(const std::vector<std::string>& V, const std::string& S) {
    return std::find(V.begin(), V.end(), S) != V.end();
}

}  // namespace

TCalDavClient::TCalDavClient(TCalDavAccount Account)
    : FAccount(std::move(Account)), FHttp(FAccount.User, FAccount.Password) {
    if (FAccount.Url.empty() || FAccount.Url.back() != '/') FAccount.Url += '/';
    FPath = UrlPath(FAccount.Url, FAccount.Url);
}

THttpResponse TCalDavClient::Send(const std::string& Method, const std::string& Href,
                                  const std::vector<std::string>& Headers, const std::string& Body) {
    THttpResponse R = FHttp.Send(Method, ResolveUrl(FAccount.Url, Href), Headers, Body);
    if (R.Status == 401)
        throw ECalDavError(
            ECalDavError::Auth,
            Method + " " + FAccount.Url + ": the server refused the user name or password (401)", 401);
    if (R.Status >= 500)
        throw ECalDavError(ECalDavError::Server,
                           Method + " " + Href + ": server error " + std::to_string(R.Status), R.Status);
    return R;
}

void TCalDavClient::Fail(const std::string& Method, const std::string& Href, const THttpResponse& R) {
    const std::string What = Method + " " + ResolveUrl(FAccount.Url, Href) + ": ";
    if (R.Status == 403) throw ECalDavError(ECalDavError::Forbidden, What + "access forbidden (403)", 403);
    if (R.Status == 404) throw ECalDavError(ECalDavError::NotFound, What + "no such calendar (404)", 404);
    throw ECalDavError(ECalDavError::Protocol, What + "unexpected status " + std::to_string(R.Status),
                       R.Status);
}

TCalDavClient::TCollection TCalDavClient::Probe() {
    const std::string Body = PropfindBody(
        {{Dav, "resourcetype"}, {CalServer, "getctag"}, {Dav, "sync-token"}, {Dav, "supported-report-set"}});
    THttpResponse R = Send("PROPFIND", FAccount.Url, {XmlType, "Depth: 0"}, Body);
    if (R.Status != 207) Fail("PROPFIND", FAccount.Url, R);
    TMultistatus M = ParseMultistatus(R.Body);
    for (const auto& Resp : M.Responses) {
        if (PathOf(Resp.Href) != FPath) continue;
        const TDavProperty* Type = Resp.Find("{DAV:}resourcetype");
        if (!Type || !Has(Type->Children, std::string("{") + CalDav + "}calendar"))
            throw ECalDavError(ECalDavError::Protocol, FAccount.Url + " is not a calendar collection");
        TCollection C;
        if (const TDavProperty* P = Resp.Find(std::string("{") + CalServer + "}getctag")) C.CTag = P->Text;
        if (const TDavProperty* P = Resp.Find("{DAV:}sync-token")) C.SyncToken = P->Text;
        const TDavProperty* Reports = Resp.Find("{DAV:}supported-report-set");
        C.SyncCollection =
            !C.SyncToken.empty() || (Reports && Has(Reports->Children, "{DAV:}sync-collection"));
        return C;
    }
    throw ECalDavError(ECalDavError::Malformed,
                       "PROPFIND " + FAccount.Url + ": the reply does not describe the collection");
}

TCalDavClient::TChanges TCalDavClient::SyncChanges(const std::string& Token) {
    THttpResponse R =
        Send("REPORT", FAccount.Url, {XmlType, "Depth: 0"}, SyncCollectionBody(Token, {{Dav, "getetag"}}));
    TChanges Out;
    if ((R.Status == 403 || R.Status == 409) && !Token.empty() &&
        Has(ParseDavError(R.Body), "{DAV:}valid-sync-token")) {
        Out.TokenRefused = true;
        return Out;
    }
    if (R.Status != 207) Fail("REPORT", FAccount.Url, R);
    TMultistatus M = ParseMultistatus(R.Body);
    if (M.SyncToken.empty())
        throw ECalDavError(ECalDavError::Malformed,
                           "REPORT " + FAccount.Url + ": the reply carries no sync token");
    Out.SyncToken = M.SyncToken;
    for (const auto& Resp : M.Responses) {
        if (PathOf(Resp.Href) == FPath) continue;
        TMember Member{Resp.Href, "", Resp.Status == 404};
        if (!Member.Removed) {
            const TDavProperty* E = Resp.Find("{DAV:}getetag");
            if (!E) continue;  // neither changed data nor a removal: nothing to act on
            Member.ETag = E->Text;
        }
        Out.Members.push_back(std::move(Member));
    }
    return Out;
}

std::vector<TCalDavClient::TMember> TCalDavClient::ListMembers() {
    THttpResponse R = Send("PROPFIND", FAccount.Url, {XmlType, "Depth: 1"},
                           PropfindBody({{Dav, "getetag"}, {Dav, "resourcetype"}}));
    if (R.Status != 207) Fail("PROPFIND", FAccount.Url, R);
    std::vector<TMember> Out;
    for (const auto& Resp : ParseMultistatus(R.Body).Responses) {
        if (PathOf(Resp.Href) == FPath) continue;
        const TDavProperty* Type = Resp.Find("{DAV:}resourcetype");
        if (Type && Has(Type->Children, "{DAV:}collection")) continue;
        const TDavProperty* E = Resp.Find("{DAV:}getetag");
        if (E) Out.push_back({Resp.Href, E->Text, false});
    }
    return Out;
}

std::vector<TCalDavClient::TResource> TCalDavClient::Fetch(const std::vector<std::string>& Hrefs) {
    std::vector<TResource> Out;
    for (size_t I = 0; I < Hrefs.size(); I += FetchBatch) {
        std::vector<std::string> Batch(Hrefs.begin() + I,
                                       Hrefs.begin() + std::min(Hrefs.size(), I + FetchBatch));
        THttpResponse R = Send("REPORT", FAccount.Url, {XmlType, "Depth: 1"},
                               MultigetBody(Batch, {{Dav, "getetag"}, {CalDav, "calendar-data"}}));
        if (R.Status != 207) Fail("REPORT", FAccount.Url, R);
        for (const auto& Resp : ParseMultistatus(R.Body).Responses) {
            const TDavProperty* E = Resp.Find("{DAV:}getetag");
            const TDavProperty* D = Resp.Find(std::string("{") + CalDav + "}calendar-data");
            if (Resp.Status == 404 || !D) continue;
            Out.push_back({Resp.Href, E ? E->Text : "", D->Text});
        }
    }
    return Out;
}

TCalDavClient::TWrite TCalDavClient::Put(const std::string& Href, const std::string& Data,
                                         const std::string& ETag) {
    THttpResponse R = Send("PUT", Href,
                           {"Content-Type: text/calendar; charset=utf-8",
                            ETag.empty() ? std::string("If-None-Match: *") : "If-Match: " + ETag},
                           Data);
    if (R.Status == 412) return {};
    for (long Own : {400, 409, 413, 415, 422})
        if (R.Status == Own) return {false, "", Own};
    if (R.Status != 200 && R.Status != 201 && R.Status != 204) Fail("PUT", Href, R);
    return {true, R.ETag, 0};
}

TCalDavClient::TWrite TCalDavClient::Delete(const std::string& Href, const std::string& ETag) {
    std::vector<std::string> Headers;
    if (!ETag.empty()) Headers.push_back("If-Match: " + ETag);
    THttpResponse R = Send("DELETE", Href, Headers);
    if (R.Status == 412) return {};
    if (R.Status != 200 && R.Status != 204 && R.Status != 404) Fail("DELETE", Href, R);
    return {true, "", 0};
}

void TCalDavClient::MakeCalendar() {
    THttpResponse R = Send("MKCALENDAR", FAccount.Url, {});
    if (R.Status != 201) Fail("MKCALENDAR", FAccount.Url, R);
}

std::string TCalDavClient::HrefFor(const std::string& Uid) const {
    std::string Name;
    for (unsigned char C : Uid)
        Name +=
            (std::isalnum(C) || C == '-' || C == '_' || C == '.' || C == '@') ? static_cast<char>(C) : '_';
    return UrlPath(FAccount.Url, FAccount.Url, false) + Name + ".ics";
}

std::string TCalDavClient::PathOf(const std::string& Href) const {
    return UrlPath(FAccount.Url, Href);
}

AnsiString CalDavErrorText(const ECalDavError& E, bool Korean) {
    static const char* const Text[][2] = {
        {"서버에 연결할 수 없습니다", "cannot reach the server"},
        {"서버가 사용자 이름이나 암호를 받아들이지 않았습니다",
         "the server refused the user name or password"},
        {"이 달력에 접근할 권한이 없습니다", "no permission for this calendar"},
        {"달력을 찾을 수 없습니다", "no calendar at this address"},
        {"서버에 오류가 났습니다", "the server failed"},
        {"서버가 뜻밖의 답을 했습니다", "the server answered unexpectedly"},
        {"서버의 답을 읽을 수 없습니다", "the server's answer cannot be read"},
    };
    return std::string(Text[E.Kind()][Korean ? 0 : 1]) + " (" + E.Message() + ")";
}
