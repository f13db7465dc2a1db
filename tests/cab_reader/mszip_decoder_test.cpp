// The MSZIP decoder: "CK" blocks with history carried from block to block.
#include <gtest/gtest.h>

#include "archive/cab/cab_decompressor.h"
#include "cab_test_support.h"

namespace krax::test {
namespace {

std::string Repetitive(std::size_t size) {
  std::string data;
  for (int i = 0; data.size() < size; ++i) data += "car" + std::to_string(i % 300) + " ";
  data.resize(size);
  return data;
}

TEST(MszipDecoder, HistoryCarriesAcrossBlocksAndResetForgetsIt) {
  const std::string data = Repetitive(100000);
  const FolderSpec folder = MszipFolder(data);
  ASSERT_EQ(folder.blocks.size(), 4u);
  auto decoder = cab::MakeMszipDecompressor();
  std::string out;
  for (const auto& block : folder.blocks) {
    Bytes piece(block.uncompressedSize);
    ASSERT_EQ(decoder->DecompressBlock(block.data.data(), block.data.size(), piece.data(), piece.size()), CodecStatus::kOk);
    out += ToString(piece);
  }
  EXPECT_TRUE(out == data);

  // Block 2 refers back into block 1: after Reset it cannot be decoded alone.
  decoder->Reset();
  Bytes piece(folder.blocks[1].uncompressedSize);
  EXPECT_NE(decoder->DecompressBlock(folder.blocks[1].data.data(), folder.blocks[1].data.size(), piece.data(),
                                        piece.size()), CodecStatus::kOk);
}

TEST(MszipDecoder, BlocksNeedTheMarkerAndTheExactSize) {
  const FolderSpec folder = MszipFolder("short text for one block");
  const Bytes& block = folder.blocks[0].data;
  auto decoder = cab::MakeMszipDecompressor();
  Bytes out(folder.blocks[0].uncompressedSize);
  Bytes noMarker = block;
  noMarker[1] = 'J';
  EXPECT_NE(decoder->DecompressBlock(noMarker.data(), noMarker.size(), out.data(), out.size()), CodecStatus::kOk);
  Bytes bigger(out.size() + 1);
  EXPECT_NE(decoder->DecompressBlock(block.data(), block.size(), bigger.data(), bigger.size()), CodecStatus::kOk);
  Bytes smaller(out.size() - 1);
  EXPECT_NE(decoder->DecompressBlock(block.data(), block.size(), smaller.data(), smaller.size()), CodecStatus::kOk);
  EXPECT_NE(decoder->DecompressBlock(block.data(), 1, out.data(), out.size()), CodecStatus::kOk);
  EXPECT_NE(decoder->DecompressBlock(block.data(), block.size() - 1, out.data(), out.size()), CodecStatus::kOk);
  EXPECT_EQ(decoder->DecompressBlock(block.data(), block.size(), out.data(), out.size()), CodecStatus::kOk);
  EXPECT_EQ(ToString(out), "short text for one block");
}

TEST(StoredDecompressor, CopiesOnlyMatchingSizes) {
  auto stored = cab::MakeStoredDecompressor();
  const Bytes in = ToBytes("abc");
  Bytes out(3);
  EXPECT_EQ(stored->DecompressBlock(in.data(), 3, out.data(), 3), CodecStatus::kOk);
  EXPECT_EQ(ToString(out), "abc");
  Bytes longer(4);
  EXPECT_NE(stored->DecompressBlock(in.data(), 3, longer.data(), 4), CodecStatus::kOk);
}

}  // namespace
}  // namespace krax::test
