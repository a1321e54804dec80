// Linked into every test program that uses the framework's Win32 side: a test fails when it did
// what Windows refuses and Wine lets pass with GDI objects (deleted one while it was selected,
// released or deleted a DC with one still selected), since no run here would show it.
#include "tests/framework/win/StrictGdi.h"

#include <gtest/gtest.h>

#include "framework/win/GdiObjects.h"

namespace {

int expected_refusals = 0;

class TStrictGdiCheck : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    refused_ = RefusedGdiOperations();
    expected_refusals = 0;
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    EXPECT_EQ(RefusedGdiOperations() - refused_, expected_refusals)
        << "Windows would refuse this; the last time: " << LastRefusedGdiOperation();
  }
  int refused_ = 0;
};

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TStrictGdiCheck);
  return true;
}();

}  // namespace

void ExpectRefusedGdiOperations(int count) {
  expected_refusals = count;
}
