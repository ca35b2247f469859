// SHA3-256 through uni::HashSHA3 against the bare crypto-library loop it wraps; the two
// throughputs of one run give the wrapper's overhead (expected ratio >= 0.95).

#include "uni/hash_sha3.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<std::uint8_t> message(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return bytes;
}

void BM_Sha3_256_BareEvp(benchmark::State& state)
{
    const auto input = message(static_cast<std::size_t>(state.range(0)));
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, EVP_sha3_256(), nullptr);
        EVP_DigestUpdate(ctx, input.data(), input.size());
        EVP_DigestFinal_ex(ctx, digest, &length);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(ctx);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_Sha3_256_HashSHA3(benchmark::State& state)
{
    const auto input = message(static_cast<std::size_t>(state.range(0)));
    uni::HashSHA3 hash;
    std::uint8_t digest[32];
    for (auto _ : state) {
        hash.init(256);
        hash.update(input.data(), input.size());
        hash.finalise();
        hash.writeDigest(digest, sizeof digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

// 8 KiB blocks, and 64 bytes, the size of a control frame, where per-message cost dominates.
BENCHMARK(BM_Sha3_256_BareEvp)->Arg(8192)->Arg(64);
BENCHMARK(BM_Sha3_256_HashSHA3)->Arg(8192)->Arg(64);

} // namespace
