#include <gtest/gtest.h>

#include "archive/quantum/quantum_model.h"

namespace krax::quantum {
namespace {

// Every entry keeps a non-empty interval and the total stays where the 16-bit coder needs it.
void ExpectSound(const QuantumModel& model) {
  ASSERT_LE(model.Total(), QuantumModel::kRescaleLimit + QuantumModel::kIncrement);
  for (int i = 0; i < model.Count(); ++i) ASSERT_GT(model.HighAt(i), model.LowAt(i)) << i;
  ASSERT_EQ(model.LowAt(model.Count() - 1), 0u);
}

TEST(QuantumModel, StartsWithSymbolsInOrderAndFrequencyOne) {
  QuantumModel model;
  model.Reset(64, 5);
  EXPECT_EQ(model.Total(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(model.SymbolAt(i), 64 + i);
    EXPECT_EQ(model.HighAt(i) - model.LowAt(i), 1u);
  }
  EXPECT_EQ(model.IndexForTarget(4), 0);  // the first entry owns the top of the range
  EXPECT_EQ(model.IndexForTarget(0), 4);
  model.Update(2);
  EXPECT_EQ(model.Total(), 13u);
  EXPECT_EQ(model.HighAt(2) - model.LowAt(2), 9u);
  EXPECT_EQ(model.IndexOfSymbol(66), 2);
  EXPECT_EQ(model.IndexOfSymbol(70), -1);
}

TEST(QuantumModel, HalvesPastTheLimitAndMovesTheFrequentSymbolToTheFront) {
  QuantumModel model;
  model.Reset(0, 10);
  int rescales = 0;
  std::uint32_t lastTotal = model.Total();
  // Each update adds 8 and the limit is a few thousand: four halvings come well within the
  // bound, so a model that never halves fails here instead of running on.
  for (int update = 0; update < 10000 && rescales < 4; ++update) {
    model.Update(model.IndexOfSymbol(7));
    ExpectSound(model);
    if (model.Total() < lastTotal) {
      ++rescales;
      if (rescales < 4) {
        EXPECT_EQ(model.SymbolAt(7), 7) << "halving keeps the order";
      }
    }
    lastTotal = model.Total();
  }
  ASSERT_EQ(rescales, 4) << "the model stopped halving";
  EXPECT_EQ(model.SymbolAt(0), 7);  // the fourth shrink re-sorts by frequency
  // Mixed use keeps the model sound through many more rescales.
  for (int i = 0; i < 20000; ++i) {
    model.Update(model.IndexOfSymbol((i * i) % 10));
    ExpectSound(model);
  }
}

}  // namespace
}  // namespace krax::quantum
