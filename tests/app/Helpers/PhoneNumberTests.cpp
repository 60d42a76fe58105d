#include "app/Helpers/KKpresentationdisease.h"

#include <gtest/gtest.h>

namespace {

TEST(KKpresentationdisease, PhoneNumberIsElevenCharactersWithAKnownPrefix) {
    for (const char* accepted : {"13812345678", "14000000000", "15999999999", "17012345678", "18812345678"}) {
        EXPECT_TRUE(KKpresentationdisease::isPhoneNumber(accepted)) << accepted;
    }
    for (const char* rejected :
         {"", "12812345678", "16812345678", "19812345678", "23812345678", "1381234567", "138123456789",
          " 13812345678", "13812345678 ", "1381234567a", "+8613812345678", "138-1234-5678"}) {
        EXPECT_FALSE(KKpresentationdisease::isPhoneNumber(rejected)) << rejected;
    }
}

// The platform's expressions let "$" match before one line terminator that ends the
// text; the check keeps that behaviour.
TEST(KKpresentationdisease, PhoneNumberEndAnchorAllowsOneFinalLineBreak) {
    EXPECT_TRUE(KKpresentationdisease::isPhoneNumber("13812345678\n"));
    EXPECT_TRUE(KKpresentationdisease::isPhoneNumber("13812345678\r\n"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("13812345678\n\n"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("\n13812345678"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("1381234\n5678"));
}

// The third character must be an ASCII digit; the last eight may be any decimal digit,
// as the platform's \d matches every Unicode decimal digit.
TEST(KKpresentationdisease, PhoneNumberTailAcceptsAnyDecimalDigit) {
    EXPECT_TRUE(KKpresentationdisease::isPhoneNumber("138\u0661\u0662\u0663\u0664\u0665\u0666\u0667\u0668"));
    EXPECT_TRUE(KKpresentationdisease::isPhoneNumber("138\uff11\uff12\uff13\uff14\uff15\uff16\uff17\uff18"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("13\u066812345678"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("\uff1138123456789"));
    EXPECT_FALSE(KKpresentationdisease::isPhoneNumber("1381234567\xff"));
}

} // namespace
