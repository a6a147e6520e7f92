#pragma once
#include <memory>
#include <string>
#include <vector>

#include "caldav/Http.h"

// Where the calendar lives and who may use it.
struct TCalDavAccount {
    std::string Url;  // the calendar collection, e.g. https://host/dav/calendars/user/personal/
    std::string User;
    std::string Password;
};

// The operations of a CalDAV calendar collection (RFC 4791 on WebDAV, RFC 6578 for changes).
// Every status that is not the expected one raises ECalDavError of the fitting kind; only the
// answers a sync must act on (412, a stale sync token, a member already gone) come back as values.
class TCalDavClient {
  public:
    explicit TCalDavClient(TCalDavAccount Account);

    struct TCollection {
        std::string CTag;       // getctag; empty when not offered
        std::string SyncToken;  // DAV:sync-token; empty when the collection does not offer RFC 6578
        bool SyncCollection = false;
    };
    // PROPFIND Depth 0 on the collection; ECalDavError(NotFound/Protocol) when it is not a calendar.
    TCollection Probe();

    struct TMember {
        std::string Href;  // the path of the resource, as the server names it
        std::string ETag;
        bool Removed = false;  // sync-collection: the member is gone since the token
    };
    struct TChanges {
        std::vector<TMember> Members;
        std::string SyncToken;
        bool TokenRefused = false;  // the server no longer knows the token: start again without one
    };
    // REPORT sync-collection: the members changed or removed since Token ("" for all of them).
    TChanges SyncChanges(const std::string& Token);
    // PROPFIND Depth 1: every member with its ETag.
    std::vector<TMember> ListMembers();

    struct TResource {
        std::string Href, ETag, Data;
    };
    // REPORT calendar-multiget, in batches; members that vanished meanwhile are left out.
    std::vector<TResource> Fetch(const std::vector<std::string>& Hrefs);

    struct TWrite {
        bool Done = false;  // false: 412, the server holds another version than the one named
        std::string ETag;   // the new ETag when the server sent one
        long Refused =
            0;  // the status with which the server refused this one resource (400, 409, 413, 415, 422)
    };
    // PUT with If-Match: ETag, or If-None-Match: * when ETag is empty (a new resource).
    TWrite Put(const std::string& Href, const std::string& Data, const std::string& ETag);
    // DELETE with If-Match. A member already gone counts as done.
    TWrite Delete(const std::string& Href, const std::string& ETag);
    // MKCALENDAR at the account's address.
    void MakeCalendar();

    // The path of a new member named after a UID.
    std::string HrefFor(const std::string& Uid) const;
    // The path part of an href, decoded, for comparing hrefs.
    std::string PathOf(const std::string& Href) const;
    const std::string& Url() const { return FAccount.Url; }
    long RequestCount() const { return FHttp.RequestCount(); }
    THttpSession& Http() { return FHttp; }

  private:
    THttpResponse Send(const std::string& Method, const std::string& Href,
                       const std::vector<std::string>& Headers, const std::string& Body = {});
    [[noreturn]] void Fail(const std::string& Method, const std::string& Href, const THttpResponse& R);
    TCalDavAccount FAccount;
    std::string FPath;  // the collection's own path, decoded
    THttpSession FHttp;
};
