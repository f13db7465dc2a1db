#include "archive/lzx/lzx_huffman_builder.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace krax::lzx {
namespace {

// Plain Huffman construction with the classic two-queue method over symbols sorted by
// frequency; returns the longest path length.
unsigned HuffmanDepths(const std::vector<std::uint32_t>& weights, std::vector<unsigned>& depths) {
  const std::size_t n = weights.size();
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return weights[a] < weights[b]; });

  // Nodes 0..n-1 are leaves (in sorted order), n.. are internal nodes in creation order.
  std::vector<std::uint64_t> weight(2 * n);
  std::vector<std::size_t> parent(2 * n, 0);
  for (std::size_t i = 0; i < n; ++i) weight[i] = weights[order[i]];
  std::size_t nextLeaf = 0, nextInner = n, created = n;
  auto takeSmallest = [&]() {
    if (nextLeaf < n && (nextInner >= created || weight[nextLeaf] <= weight[nextInner])) {
      return nextLeaf++;
    }
    return nextInner++;
  };
  while (created < 2 * n - 1) {
    const std::size_t a = takeSmallest();
    const std::size_t b = takeSmallest();
    weight[created] = weight[a] + weight[b];
    parent[a] = parent[b] = created;
    ++created;
  }
  // Depths: the root is the last node (depth 0); parents always have higher numbers.
  std::vector<unsigned> nodeDepth(2 * n, 0);
  unsigned maxDepth = 0;
  for (std::size_t i = 2 * n - 2; i-- > 0;) {
    nodeDepth[i] = nodeDepth[parent[i]] + 1;
    if (i < n) maxDepth = std::max(maxDepth, nodeDepth[i]);
  }
  depths.assign(n, 0);
  for (std::size_t i = 0; i < n; ++i) depths[order[i]] = nodeDepth[i];
  return maxDepth;
}

}  // namespace

void BuildHuffmanLengths(const std::uint32_t* freqs, std::size_t count, unsigned maxLength,
                         std::uint8_t* lengths) {
  assert(count >= 2);
  std::fill(lengths, lengths + count, 0);
  std::vector<std::size_t> used;
  for (std::size_t i = 0; i < count; ++i) {
    if (freqs[i] != 0) used.push_back(i);
  }
  // Fewer than two used elements: a complete code of two one-bit codes.
  if (used.size() < 2) {
    const std::size_t first = used.empty() ? 0 : used[0];
    const std::size_t second = (first == 0) ? 1 : 0;
    lengths[first] = 1;
    lengths[second] = 1;
    return;
  }
  std::vector<std::uint32_t> weights(used.size());
  for (std::size_t i = 0; i < used.size(); ++i) weights[i] = freqs[used[i]];
  std::vector<unsigned> depths;
  // Too deep: flatten the distribution and try again. Equal weights give a balanced tree,
  // so this ends (the trees here have at most a few hundred elements).
  while (HuffmanDepths(weights, depths) > maxLength) {
    for (auto& w : weights) w = (w >> 1) | 1;
  }
  for (std::size_t i = 0; i < used.size(); ++i) lengths[used[i]] = static_cast<std::uint8_t>(depths[i]);
}

void AssignCanonicalCodes(const std::uint8_t* lengths, std::size_t count, std::uint16_t* codes) {
  unsigned lengthCount[17] = {};
  for (std::size_t i = 0; i < count; ++i) ++lengthCount[lengths[i]];
  lengthCount[0] = 0;
  unsigned nextCode[17] = {};
  unsigned code = 0;
  for (unsigned len = 1; len <= 16; ++len) {
    code = (code + lengthCount[len - 1]) << 1;
    nextCode[len] = code;
  }
  for (std::size_t i = 0; i < count; ++i) {
    codes[i] = lengths[i] ? static_cast<std::uint16_t>(nextCode[lengths[i]]++) : 0;
  }
}

}  // namespace krax::lzx
