#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "caldav/CalDavClient.h"

// The Radicale server that scripts/test starts; each test works in a calendar of its own.
inline bool RadicaleRuns() {
    return std::getenv("AGENDIX_CALDAV_URL") && std::getenv("AGENDIX_CALDAV_USER") &&
           std::getenv("AGENDIX_CALDAV_PASSWORD");
}

#define REQUIRE_RADICALE() \
    if (!RadicaleRuns()) GTEST_SKIP() << "no CalDAV server: run through scripts/test"

// A fresh, empty calendar collection named after the running test.
inline TCalDavAccount FreshCalendar(const std::string& Suffix = "") {
    const auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string Name =
        std::string(Info->test_suite_name()) + "-" + Info->name() + Suffix + "-" + std::to_string(getpid());
    for (char& C : Name)
        if (!std::isalnum(static_cast<unsigned char>(C)) && C != '-') C = '-';
    const std::string User = std::getenv("AGENDIX_CALDAV_USER");
    TCalDavAccount A{std::string(std::getenv("AGENDIX_CALDAV_URL")) + User + "/" + Name + "/", User,
                     std::getenv("AGENDIX_CALDAV_PASSWORD")};
    TCalDavClient(A).MakeCalendar();
    return A;
}
