#include "uni/hash_sha3.h"

#include "uni/osal.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

namespace uni {

namespace {

constexpr int kEInit = -(osal::ERR_UNI_OSAL_EINIT - osal::ERR_UNI_OSAL_BASE);
constexpr int kEArg = -(osal::ERR_UNI_OSAL_EARG - osal::ERR_UNI_OSAL_BASE);
constexpr int kEAlloc = -(osal::ERR_UNI_OSAL_EALLOC - osal::ERR_UNI_OSAL_BASE);

struct Algorithms {
    const EVP_MD* md[4] = {};

    Algorithms()
    {
        static const char* const names[4] = {"SHA3-224", "SHA3-256", "SHA3-384", "SHA3-512"};
        const EVP_MD* (*const legacy[4])() = {EVP_sha3_224, EVP_sha3_256, EVP_sha3_384, EVP_sha3_512};
        for (int i = 0; i < 4; ++i) {
#if OPENSSL_VERSION_NUMBER >= 0x30000000L
            // Fetched once: the legacy getters make every init search the provider store.
            md[i] = EVP_MD_fetch(nullptr, names[i], nullptr);
#endif
            if (md[i] == nullptr)
                md[i] = legacy[i]();
        }
    }
};

// Kept for the life of the process; freeing at exit would race the library's own teardown.
const EVP_MD* algorithmFor(unsigned bits)
{
    static const Algorithms algorithms;
    switch (bits) {
    case 224: return algorithms.md[0];
    case 256: return algorithms.md[1];
    case 384: return algorithms.md[2];
    case 512: return algorithms.md[3];
    default: return nullptr;
    }
}

} // namespace

HashSHA3::HashSHA3() : m_ctx(EVP_MD_CTX_new()) {}

HashSHA3::HashSHA3(unsigned bits) : HashSHA3()
{
    init(bits);
}

HashSHA3::~HashSHA3()
{
    EVP_MD_CTX_free(m_ctx);
}

int HashSHA3::init(unsigned bits)
{
    m_phase = Phase::None;
    m_size = 0;
    const EVP_MD* md = algorithmFor(bits);
    if (md == nullptr)
        return kEArg;
    if (m_ctx == nullptr)
        return kEAlloc;
    if (EVP_DigestInit_ex(m_ctx, md, nullptr) != 1)
        return kEInit;
    m_size = bits / 8;
    m_phase = Phase::Updating;
    return 0;
}

int HashSHA3::update(const void* data, std::size_t length)
{
    if (m_phase != Phase::Updating)
        return kEInit;
    if (length == 0)
        return 0;
    if (data == nullptr)
        return kEArg;
    return EVP_DigestUpdate(m_ctx, data, length) == 1 ? 0 : kEInit;
}

int HashSHA3::finalise()
{
    if (m_phase != Phase::Updating)
        return kEInit;
    unsigned int written = 0;
    if (EVP_DigestFinal_ex(m_ctx, m_digest, &written) != 1 || written != m_size) {
        m_phase = Phase::None;
        return kEInit;
    }
    m_phase = Phase::Final;
    return 0;
}

int HashSHA3::writeDigest(void* out, std::size_t capacity) const
{
    if (m_phase != Phase::Final)
        return kEInit;
    if (out == nullptr || capacity < m_size)
        return kEArg;
    std::memcpy(out, m_digest, m_size);
    return static_cast<int>(m_size);
}

bool HashSHA3::compare(const void* digest, std::size_t length) const
{
    if (m_phase != Phase::Final || digest == nullptr || length != m_size)
        return false;
    return CRYPTO_memcmp(digest, m_digest, m_size) == 0;
}

} // namespace uni
