#include "control/site_lock.h"

#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "support/flow_bench.h"

namespace korvaden {
namespace {

const std::vector<std::string> kAllowed = {"https://webatm.korvaden.test", "https://webatm.korvaden.test:8443",
                                           "http://localhost:8080"};

TEST(SiteLock, OriginsCompareExactly) {
  for (const char* page : {"https://webatm.korvaden.test/atm/transfer.html?x=1", "HTTPS://WebATM.Korvaden.TEST/",
                           "https://webatm.korvaden.test:443/default/port", "https://webatm.korvaden.test#fragment",
                           "https://webatm.korvaden.test:8443/other/port", "http://localhost:8080/dev.html"}) {
    EXPECT_TRUE(OriginAllowed(page, kAllowed)) << page;
  }
  for (const char* page :
       {"https://evil.test/",
        "https://webatm.korvaden.test.evil.test/",  // the allowed name as a prefix
        "https://evilwebatm.korvaden.test/", "https://webatm.korvaden.tes/",
        "http://webatm.korvaden.test/",  // not https
        "https://webatm.korvaden.test:444/", "https://webatm.korvaden.test:8443x/",
        "https://webatm.korvaden.test@evil.test/",  // user information
        "https://evil.test\\webatm.korvaden.test/", "https://evil.test/https://webatm.korvaden.test/",
        "http://localhost/",  // port 80, not 8080
        "file:///C:/page.html", "about:blank", "", "webatm.korvaden.test"}) {
    EXPECT_FALSE(OriginAllowed(page, kAllowed)) << page;
  }
}

TEST(SiteLock, OriginOfAUrl) {
  const auto origin = OriginOf("https://Bank.Example:8443/path");
  ASSERT_TRUE(origin);
  EXPECT_EQ(origin->scheme, "https");
  EXPECT_EQ(origin->host, "bank.example");
  EXPECT_EQ(origin->port, 8443);
  EXPECT_EQ(OriginOf("http://bank.example")->port, 80);
  EXPECT_FALSE(OriginOf("https://bank.example:0/"));
  EXPECT_FALSE(OriginOf("https://bank.example:65536/"));
  EXPECT_FALSE(OriginOf("https://:443/"));
}

// The windows name the page's origin as a browser shows it, whatever the URL
// spelled; a local program's windows name none.
TEST(SiteLock, TheWindowsTitlesNameThePagesOrigin) {
  test::FlowBench bench;
  bench.core.SetPage("https://WEBATM.korvaden.test:443/atm/transfer?x=1");
  EXPECT_EQ(bench.desk.Title(""), "DrommelWebATM - https://webatm.korvaden.test");
  bench.core.SetPage("https://webatm.korvaden.test:8443/");
  EXPECT_EQ(bench.desk.Title(""), "DrommelWebATM - https://webatm.korvaden.test:8443");
  bench.core.SetPage(std::nullopt);
  EXPECT_EQ(bench.desk.Title(""), "DrommelWebATM");
}

TEST(SiteLock, ARefusedPageReachesNoCardAndShowsNothing) {
  for (const char* page :
       {"https://evil.test/", "https://webatm.korvaden.test.evil.test/", "http://webatm.korvaden.test/", ""}) {
    test::FlowBench bench;
    bench.core.SetPage(page);
    EXPECT_TRUE(bench.core.PageRefused()) << page;
    test::FidoArgs fido;
    fido.pin = "999999";
    EXPECT_EQ(bench.Fido(fido), kResultPageRefused) << page;
    EXPECT_EQ(bench.Transfer({}), kResultPageRefused) << page;
    EXPECT_TRUE(bench.card.log().empty()) << page;
    EXPECT_EQ(bench.readers.establishCount, 0) << page;
    EXPECT_TRUE(bench.boxes.shown.empty()) << page;
    EXPECT_EQ(bench.card.pinTriesLeft(), 3);
  }
}

TEST(SiteLock, TheBanksPageAndALocalProgramAreServed) {
  test::FlowBench bench;
  bench.core.SetPage("https://webatm.korvaden.test/atm/");
  EXPECT_EQ(bench.Transfer({}), kResultSuccess);
  bench.core.SetPage(std::nullopt);  // unsited again: a local program
  EXPECT_EQ(bench.Transfer({}), kResultSuccess);
}

}  // namespace
}  // namespace korvaden
