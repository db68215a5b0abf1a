// The customer's texts are stored in Big5; glibc's converter reads them back.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "ui/texts.h"

namespace korvaden {
namespace {

std::string Big5ToUtf8(const std::string& big5) {
  iconv_t converter = iconv_open("UTF-8", "BIG5");
  std::string in = big5, out(big5.size() * 3, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const std::size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (done == static_cast<std::size_t>(-1)) return "(not Big5)";
  out.resize(out.size() - outLeft);
  return out;
}

TEST(Texts, AreTheSystemsOwnInBig5) {
  EXPECT_EQ(Big5ToUtf8(texts::kReaderMessage), "讀卡機連線失敗，請確認讀卡機是否已安裝妥當!");
  EXPECT_EQ(Big5ToUtf8(texts::kCardConnectionMessage), "晶片卡連線失敗，請檢查晶片卡是否已依正確方向插入讀卡機!");
  EXPECT_EQ(Big5ToUtf8(texts::kCardReadMessage), "卡片資料讀取錯誤，請檢查讀卡機與晶片卡是否有問題。");
  EXPECT_EQ(Big5ToUtf8(texts::kNoAccountsMessage), "卡片中無任何帳號資料!");
  EXPECT_EQ(Big5ToUtf8(texts::kWrongCardMessage), "登入所使用的卡片與現行卡片不符，請插入正確的卡片");
  EXPECT_EQ(std::string(texts::kTransferCaption), "DrommelWebATM");
}

}  // namespace
}  // namespace korvaden
