// The measurement catalogue: names and units by slot, and the position of a
// meter selector turned into a slot index.
#include <gtest/gtest.h>

#include <cstdint>

#include "CoreTestSupport.h"
#include "HID.h"

namespace {

using corvanta_test::ResetCoreState;

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetCoreState(); }
    void TearDown() override { ResetCoreState(); }
};

TEST_F(CatalogueTest, NamesAndUnitsBySlot) {
    struct Item {
        const char* name;
        const char* unit;
    };
    const Item items[ItemCount] = {
        {"Battery Voltage", "V"},   {"Battery Current", "A"},   {"Battery Level", "%"},
        {"Input Frequency", "Hz"},  {"Input Voltage", "V"},     {"Input Current", "A"},
        {"Input Frequency2", "Hz"}, {"Input Voltage2", "V"},    {"Input Current2", "A"},
        {"Input Frequency3", "Hz"}, {"Input Voltage3", "V"},    {"Input Current3", "A"},
        {"Output Frequency", "Hz"}, {"Output Voltage", "V"},    {"Output Current", "A"},
        {"Output Loading", "%"},    {"Output Voltage2", "V"},   {"Output Current2", "A"},
        {"Output Loading2", "%"},   {"Output Voltage3", "V"},   {"Output Current3", "A"},
        {"Output Loading3", "%"},   {"Bypass Frequency", "Hz"}, {"Bypass Voltage", "V"},
        {"Bypass Current", "A"},    {"Bypass Voltage2", "V"},   {"Bypass Current2", "A"},
        {"Bypass Voltage3", "V"},   {"Bypass Current3", "A"},   {"Temperature", "C"},
    };
    for (int i = 0; i < ItemCount; ++i) {
        EXPECT_STREQ(HIDItemName[i], items[i].name) << i;
        EXPECT_STREQ(HIDItemUnit[i], items[i].unit) << i;
    }
}

std::int32_t Bits(std::initializer_list<int> bits) {
    std::uint32_t m = 0;
    for (int b : bits)
        m |= 1u << b;
    return static_cast<std::int32_t>(m);
}

TEST_F(CatalogueTest, SupportIndexOfPositions) {
    struct Case {
        std::int32_t mask;
        int order;
        int slot;
    };
    const Case cases[] = {
        {0, 0, 0},
        {0, 5, 0},
        {0, -1, 0},
        {Bits({4, 5, 13}), 0, 4},
        {Bits({4, 5, 13}), 1, 5},
        {Bits({4, 5, 13}), 2, 13},
        {Bits({4, 5, 13}), 3, 0},
        {Bits({4, 5, 13}), -1, 0},
        {Bits({4, 5, 13}), -100, 0},
        {Bits({29}), 0, 29},
        {Bits({29}), 1, 0},
        {Bits({3, 29}), 2, 0}, // past the end: 0, never 30
        {Bits({30, 31}), 0, 0},
        {Bits({2, 30, 31}), 1, 0}, // bits 30 and 31 never count
        {Bits({0}), 0, 0},
        {0x3FFFFFFF, 29, 29},
        {0x3FFFFFFF, 30, 0},
        {-1, 29, 29},
        {-1, 30, 0},
        {-1, 1000000, 0},
        {Bits({1, 2, 4, 13, 14, 15}), 4, 14},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SupportIndexOf(c.mask, c.order), c.slot)
            << "mask " << std::hex << c.mask << std::dec << " order " << c.order;
        PtUPSVal.SupportItem = c.mask;
        EXPECT_EQ(GetSupportIndex(c.order), c.slot)
            << "mask " << std::hex << c.mask << std::dec << " order " << c.order;
    }
}

} // namespace
