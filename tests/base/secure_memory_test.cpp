#include "base/secure_memory.h"

#include <gtest/gtest.h>

#include <new>
#include <string_view>
#include <utility>

namespace korvaden {
namespace {

// The bytes of the object itself, where the short-string buffer lives.
std::string_view ObjectBytes(const void* object, std::size_t size) { return {static_cast<const char*>(object), size}; }

TEST(SecureString, AGrownTextLeavesNothingInTheObject) {
  // A PIN typed digit by digit grew out of the short buffer, whose copy of
  // the first fifteen digits outlived the text.
  alignas(SecureString) unsigned char storage[sizeof(SecureString)];
  auto* pin = new (storage) SecureString;
  for (const char digit : std::string_view("1234567890123456789")) *pin += digit;
  EXPECT_EQ(pin->view(), "1234567890123456789");
  pin->~SecureString();
  EXPECT_EQ(ObjectBytes(storage, sizeof(storage)).find("12345"), std::string_view::npos);

  SecureString reserved("98765");
  reserved.Reserve(64);
  EXPECT_EQ(reserved.view(), "98765");
  EXPECT_EQ(ObjectBytes(&reserved, sizeof(reserved)).find("98765"), std::string_view::npos);
}

TEST(SecureString, AMovedFromTextHoldsNothing) {
  for (const std::string_view secret : {std::string_view("135790"), std::string_view("1357902468013579024680")}) {
    SecureString from(secret);
    SecureString to(std::move(from));
    EXPECT_EQ(to.view(), secret);
    EXPECT_TRUE(from.empty());
    EXPECT_EQ(ObjectBytes(&from, sizeof(from)).find("13579"), std::string_view::npos);

    SecureString assigned("x");
    assigned = std::move(to);
    EXPECT_EQ(assigned.view(), secret);
    EXPECT_EQ(ObjectBytes(&to, sizeof(to)).find("13579"), std::string_view::npos);
  }
}

}  // namespace
}  // namespace korvaden
