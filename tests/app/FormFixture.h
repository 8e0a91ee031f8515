#pragma once
// A window under test against an in-process server on 127.0.0.1: the server
// answers the software information, the category levels and the searches
// with canned Chinese replies; each test may replace any of them before the
// window starts.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "GuiHelpers.h"
#include "TestServer.h"
#include "TestSigner.h"
#include "Unit1.h"

class TFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructs the window and runs its start-up; by default waits until
    // the first search has become the first tab.
    void StartForm(bool waitForFirstTab = true);
    // Waits until no search is pending any more.
    bool WaitIdle(int ms = 30000);
    // Closes the window (its workers stopped and joined) and says how long
    // that took.
    std::chrono::steady_clock::duration CloseForm();
    // Clicks the search picture and waits for the outcome.
    void Search();
    std::size_t Count(const std::string& path) const { return server.RequestCount(path); }
    // The last request to `path`, and its decoded parameters.
    TRecordedRequest LastRequest(const std::string& path) const;
    std::map<std::string, std::string> Last(const std::string& path) const { return LastRequest(path).params; }
    QString Title(int row) const; // title of row `row` of the shown tab (UTF-8)

    TTestServer server;
    std::string base;
    std::unique_ptr<TForm1> form;
    TLocalOnly localOnly;
    // The key the window's updater trusts, made for this test.
    TTestSigner updateSigner;
    // Items search replies: total_results text and rows per page.
    std::string total = "120";
    int rowsPerPage = 40;
};

inline constexpr const char* kSoft = "/taobao/III/OK/ok_list.php";
inline constexpr const char* kCats = "/taobao/tb_itemcats.php";
inline constexpr const char* kItems = "/taobao/tbk_items.php";
