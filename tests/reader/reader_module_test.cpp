#include <gtest/gtest.h>

#include "flows/transaction_client.h"
#include "support/card_bench.h"

namespace korvaden {
namespace {

using test::CardBench;
using test::kReaderName;

TEST(ReaderListing, NoReaderGivesTheServiceErrorAndAnEmptyTable) {
  card::VirtualReaders readers;
  ReaderModule module(readers);
  ReaderTable table;
  table.count = 7;
  ASSERT_EQ(module.ReaderEstablishContext(), kScardSuccess);
  EXPECT_EQ(module.ReaderListReaders(table), kScardNoReaders);
  EXPECT_EQ(table.count, 0);
  EXPECT_EQ(module.lastScResult, kScardNoReaders);
}

TEST(ReaderListing, KeepsTheFirstFortyAndCutsLongNames) {
  card::VirtualReaders readers;
  for (int i = 0; i < 41; ++i) readers.AddReader("Reader " + std::to_string(i));
  const std::string longName(60, 'L');
  ReaderModule module(readers);
  ReaderTable table;
  ASSERT_EQ(module.ReaderEstablishContext(), kScardSuccess);
  ASSERT_EQ(module.ReaderListReaders(table), kScardSuccess);
  EXPECT_EQ(table.count, 40);
  EXPECT_EQ(table.Name(0), "Reader 0");
  EXPECT_EQ(table.Name(39), "Reader 39");

  card::VirtualReaders few;
  few.AddReader(longName);
  few.AddReader("Short");
  ReaderModule other(few);
  ASSERT_EQ(other.ReaderEstablishContext(), kScardSuccess);
  ASSERT_EQ(other.ReaderListReaders(table), kScardSuccess);
  ASSERT_EQ(table.count, 2);
  EXPECT_EQ(table.Name(0), std::string(49, 'L'));  // cut to the entry, NUL kept
  EXPECT_EQ(table.Name(1), "Short");
}

TEST(ReaderPresence, PresentEmptyAndServiceError) {
  CardBench bench;
  bench.readers.AddReader("Empty reader");
  ASSERT_EQ(bench.module.ReaderEstablishContext(), kScardSuccess);
  std::int32_t presence = 9;
  EXPECT_EQ(bench.module.ReaderGetPresence(kReaderName, presence), kScardSuccess);
  EXPECT_EQ(presence, kCardPresent);
  EXPECT_EQ(bench.module.ReaderGetPresence("Empty reader", presence), kScardSuccess);
  EXPECT_EQ(presence, kCardAbsent);
  presence = 9;
  EXPECT_EQ(bench.module.ReaderGetPresence("No such reader", presence), kScardUnknownReader);
  EXPECT_EQ(presence, 9);
}

TEST(ReaderContext, EstablishingAgainReleasesTheOpenContext) {
  CardBench bench;
  for (int i = 0; i < 5; ++i) ASSERT_EQ(bench.module.ReaderEstablishContext(), kScardSuccess);
  EXPECT_EQ(bench.readers.openContexts(), 1u);
  EXPECT_EQ(bench.module.ReaderReleaseContext(), kScardSuccess);
  EXPECT_EQ(bench.readers.openContexts(), 0u);
}

TEST(ReaderClient, DisconnectWithoutCardAndTeardown) {
  CardBench bench;
  {
    TransATMiVeskClient client(bench.platform);
    EXPECT_EQ(client.reader.DisconnectCard(), kScardInvalidParameter);
    EXPECT_EQ(bench.readers.openContexts(), 0u);
    ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
    ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
    EXPECT_EQ(bench.readers.openConnections(), 1u);
  }
  EXPECT_EQ(bench.readers.openContexts(), 0u);
  EXPECT_EQ(bench.readers.openConnections(), 0u);
  EXPECT_EQ(bench.module.cardHandle, 0u);
}

TEST(ReaderClient, OverlongReaderNamesAreRefusedWithoutAServiceCall) {
  CardBench bench;
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  const std::string name = kReaderName + std::string(150, 'x');
  const int connects = bench.readers.connectCount;
  EXPECT_EQ(client.card.Connect(name), FromPcsc(kScardUnknownReader));
  EXPECT_EQ(bench.readers.connectCount, connects);
  std::int32_t presence = 5;
  const int polls = bench.readers.statusChangeCount;
  EXPECT_EQ(client.reader.GetCardPresence(presence), kScardUnknownReader);
  EXPECT_EQ(bench.readers.statusChangeCount, polls);
  EXPECT_EQ(presence, kCardPresent);  // a failed query reads as present
  EXPECT_EQ(client.card.Connect(std::string(149 - kReaderName.size(), ' ') + kReaderName),
            FromPcsc(kScardUnknownReader));
  EXPECT_EQ(bench.readers.connectCount, connects + 1);  // 149 characters still go to the service
}

TEST(ReaderClient, ReaderAttachedWhenAListedNameIsPartOfIt) {
  CardBench bench;
  TransATMiVeskClient client(bench.platform);
  client.reader.UseReader(kReaderName + " 01");
  EXPECT_TRUE(client.reader.IsReaderAttached());
  client.reader.UseReader("Virtual PCD 00");
  EXPECT_FALSE(client.reader.IsReaderAttached());
  bench.readers.RemoveReader(kReaderName);
  client.reader.UseReader(kReaderName);
  EXPECT_FALSE(client.reader.IsReaderAttached());
  EXPECT_EQ(bench.readers.openContexts(), 1u);  // one context, however often it was made
}

}  // namespace
}  // namespace korvaden
