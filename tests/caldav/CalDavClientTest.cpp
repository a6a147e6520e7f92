#include <gtest/gtest.h>

#include <functional>

#include "caldav/CalDavError.h"
#include "caldav/Multistatus.h"
#include "tests/caldav/Radicale.h"
#include "tests/support/Support.h"

namespace {

std::string Event(const std::string& Uid, const std::string& Summary) {
    return ICalendarText(
        VEvent(Uid, "DTSTART:20260105T090000Z\nDTEND:20260105T100000Z\nSUMMARY:" + Summary + "\n"));
}

ECalDavError::TKind KindOf(const std::function<void()>& F) {
    try {
        F();
    } catch (const ECalDavError& E) {
        return E.Kind();
    }
    ADD_FAILURE() << "no ECalDavError";
    return ECalDavError::Protocol;
}

}  // namespace

// The conditional writes, the change report and the listing agree with what the server holds.
TEST(CalDavClient, ConditionalWritesAndChanges) {
    REQUIRE_RADICALE();
    TCalDavClient C(FreshCalendar());
    TCalDavClient::TCollection Col = C.Probe();
    ASSERT_TRUE(Col.SyncCollection);
    const std::string Start = C.SyncChanges("").SyncToken;
    EXPECT_FALSE(Start.empty());

    const std::string A = C.HrefFor("a@agendix"), B = C.HrefFor("b c/d");
    EXPECT_EQ(B.substr(B.rfind('/') + 1), "b_c_d.ics");
    TCalDavClient::TWrite Wa = C.Put(A, Event("a@agendix", "one"), "");
    ASSERT_TRUE(Wa.Done);
    ASSERT_FALSE(Wa.ETag.empty());
    EXPECT_FALSE(C.Put(A, Event("a@agendix", "again"), "").Done) << "If-None-Match: * must refuse";
    EXPECT_FALSE(C.Put(A, Event("a@agendix", "stale"), "\"nope\"").Done);
    TCalDavClient::TWrite Wa2 = C.Put(A, Event("a@agendix", "two"), Wa.ETag);
    ASSERT_TRUE(Wa2.Done);
    ASSERT_TRUE(C.Put(B, Event("b", "bee"), "").Done);

    auto Changes = C.SyncChanges(Start);
    ASSERT_EQ(Changes.Members.size(), 2u);
    auto Fetched = C.Fetch({A, B, C.HrefFor("missing")});
    ASSERT_EQ(Fetched.size(), 2u);
    for (const auto& R : Fetched) {
        EXPECT_NE(R.Data.find(C.PathOf(R.Href) == C.PathOf(A) ? "SUMMARY:two" : "SUMMARY:bee"),
                  std::string::npos);
        EXPECT_FALSE(R.ETag.empty());
    }
    EXPECT_EQ(C.ListMembers().size(), 2u);
    EXPECT_NE(C.Probe().CTag, Col.CTag);

    EXPECT_FALSE(C.Delete(A, Wa.ETag).Done) << "a stale ETag must not delete";
    EXPECT_TRUE(C.Delete(A, Wa2.ETag).Done);
    EXPECT_TRUE(C.Delete(A, Wa2.ETag).Done) << "already gone";
    auto After = C.SyncChanges(Changes.SyncToken);
    ASSERT_EQ(After.Members.size(), 1u);
    EXPECT_TRUE(After.Members[0].Removed);
    EXPECT_EQ(C.PathOf(After.Members[0].Href), C.PathOf(A));
    EXPECT_TRUE(C.SyncChanges("http://radicale.org/ns/sync/0000").TokenRefused);
}

TEST(CalDavClient, FailuresHaveTheirKind) {
    REQUIRE_RADICALE();
    TCalDavAccount Good = FreshCalendar();
    TCalDavAccount WrongPassword = Good, Missing = Good, NotCalendar = Good, Down = Good;
    WrongPassword.Password += "x";
    Missing.Url += "../no-such-calendar/";
    NotCalendar.Url = std::string(std::getenv("AGENDIX_CALDAV_URL")) + Good.User + "/";
    Down.Url = "http://127.0.0.1:1/cal/";
    struct {
        TCalDavAccount Account;
        ECalDavError::TKind Kind;
    } Cases[] = {{WrongPassword, ECalDavError::Auth},
                 {Missing, ECalDavError::NotFound},
                 {NotCalendar, ECalDavError::Protocol},
                 {Down, ECalDavError::Network}};
    for (const auto& Case : Cases)
        EXPECT_EQ(KindOf([&] { TCalDavClient(Case.Account).Probe(); }), Case.Kind) << Case.Account.Url;
}

TEST(Multistatus, MalformedRepliesAreRefused) {
    for (const char* Xml : {"", "not xml", "<html><body>Hi</body></html>",
                            "<multistatus xmlns='DAV:'><response><status>HTTP/1.1 200 OK</status></response>",
                            "<multistatus xmlns='DAV:'><response><propstat/></response></multistatus>",
                            "<d:multistatus xmlns:d='urn:other'/>"})
        EXPECT_EQ(KindOf([&] { ParseMultistatus(Xml); }), ECalDavError::Malformed) << Xml;
}

TEST(Multistatus, ReadsPropertiesOfSuccessfulPropstatsOnly) {
    const auto M = ParseMultistatus(
        "<?xml version='1.0'?><D:multistatus xmlns:D='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'>"
        "<D:response><D:href>/c/a.ics</D:href>"
        "<D:propstat><D:prop><D:getetag>\"e1\"</D:getetag><C:calendar-data>BEGIN:VCALENDAR&#13;\n"
        "END:VCALENDAR&#13;\n</C:calendar-data></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
        "<D:propstat><D:prop><D:displayname/></D:prop><D:status>HTTP/1.1 404 Not "
        "Found</D:status></D:propstat>"
        "</D:response><D:response><D:href>/c/gone.ics</D:href><D:status>HTTP/1.1 404 Not Found</D:status>"
        "</D:response><D:sync-token>tok-2</D:sync-token></D:multistatus>");
    ASSERT_EQ(M.Responses.size(), 2u);
    EXPECT_EQ(M.SyncToken, "tok-2");
    EXPECT_EQ(M.Responses[0].Find("{DAV:}getetag")->Text, "\"e1\"");
    EXPECT_EQ(M.Responses[0].Find("{urn:ietf:params:xml:ns:caldav}calendar-data")->Text,
              "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(M.Responses[0].Find("{DAV:}displayname"), nullptr);
    EXPECT_EQ(M.Responses[1].Status, 404);
}
