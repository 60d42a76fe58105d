#include "app/Crypto/BulkDecoding.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define ORVEX_BULK_AVX2 1
#endif

namespace bulkdecoding {
namespace {

std::size_t decodeHexPairsScalar(const std::uint8_t* in, std::size_t pairs, std::uint8_t* out) {
    std::size_t done = 0;
    for (; done < pairs; ++done) {
        const std::uint8_t high = kHexDigitValues[in[2 * done]];
        const std::uint8_t low = kHexDigitValues[in[2 * done + 1]];
        if ((high | low) > 15 || (high | low) == 0) {
            break;
        }
        out[done] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return done;
}

std::size_t decodeBase64GroupsScalar(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
    std::size_t done = 0;
    for (; length - done >= 4; done += 4) {
        const std::uint8_t a = kBase64DigitValues[in[done]];
        const std::uint8_t b = kBase64DigitValues[in[done + 1]];
        const std::uint8_t c = kBase64DigitValues[in[done + 2]];
        const std::uint8_t d = kBase64DigitValues[in[done + 3]];
        if ((a | b | c | d) > 63) {
            break;
        }
        const std::uint32_t group =
            std::uint32_t{a} << 18 | std::uint32_t{b} << 12 | std::uint32_t{c} << 6 | d;
        *out++ = static_cast<std::uint8_t>(group >> 16);
        *out++ = static_cast<std::uint8_t>(group >> 8);
        *out++ = static_cast<std::uint8_t>(group);
    }
    return done;
}

#if defined(ORVEX_BULK_AVX2)

bool hasAVX2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

bool hasAVX512() {
    static const bool available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi");
    return available;
}

// 32 hexadecimal characters to 16 bytes: each character is checked to be a digit and
// turned into its value, then pairs are combined as high x 16 + low. False when any
// character is not a digit.
[[gnu::target("avx2")]] inline bool hexToBytes(const std::uint8_t* in, __m128i& bytes) {
    const __m256i characters = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i digit = _mm256_sub_epi8(characters, _mm256_set1_epi8('0'));
    const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_min_epu8(digit, _mm256_set1_epi8(9)), digit);
    const __m256i letter =
        _mm256_sub_epi8(_mm256_or_si256(characters, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_min_epu8(letter, _mm256_set1_epi8(5)), letter);
    if (_mm256_movemask_epi8(_mm256_or_si256(isDigit, isLetter)) != -1) {
        return false;
    }
    const __m256i values = _mm256_blendv_epi8(_mm256_add_epi8(letter, _mm256_set1_epi8(10)), digit, isDigit);
    const __m256i words = _mm256_maddubs_epi16(values, _mm256_set1_epi16(0x0110)); // first x 16 + second
    bytes = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08));
    return true;
}

// 32 standard Base64 digits (eight groups) to 24 bytes at `out`. A character is a digit
// when the classes of its high and low nibble do not meet; its value is the character
// plus an offset chosen by its high nibble ("/" set apart); four 6-bit values pack into
// three bytes. False, writing nothing, when any character is not a digit.
[[gnu::target("avx2")]] inline bool base64ToBytes(__m256i characters, std::uint8_t* out) {
    const __m256i lowNibbleClasses = _mm256_setr_epi8(
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A, 0x15,
        0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m256i highNibbleClasses = _mm256_setr_epi8(
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
        0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i offsets = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16,
                                             19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i nibbleMask = _mm256_set1_epi8(0x0F);
    const __m256i highNibbles = _mm256_and_si256(_mm256_srli_epi32(characters, 4), nibbleMask);
    const __m256i lowNibbles = _mm256_and_si256(characters, nibbleMask);
    const __m256i lowClasses = _mm256_shuffle_epi8(lowNibbleClasses, lowNibbles);
    const __m256i highClasses = _mm256_shuffle_epi8(highNibbleClasses, highNibbles);
    if (!_mm256_testz_si256(lowClasses, highClasses)) {
        return false;
    }
    const __m256i offsetIndex =
        _mm256_add_epi8(_mm256_cmpeq_epi8(characters, _mm256_set1_epi8('/')), highNibbles);
    const __m256i values = _mm256_add_epi8(characters, _mm256_shuffle_epi8(offsets, offsetIndex));
    const __m256i pairs =
        _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));                // a x 64 + b, c x 64 + d
    const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000)); // ab x 4096 + cd
    const __m256i byteOrder = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1,
                                               0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, byteOrder),
                                                      _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(bytes));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(bytes, 1));
    return true;
}

[[gnu::target("avx2")]] std::size_t decodeHexPairsAVX2(const std::uint8_t* in, std::size_t pairs,
                                                       std::uint8_t* out) {
    std::size_t done = 0;
    __m128i bytes;
    while (pairs - done >= 16 && hexToBytes(in + 2 * done, bytes) &&
           _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), bytes);
        done += 16;
    }
    return done + decodeHexPairsScalar(in + 2 * done, pairs - done, out + done);
}

[[gnu::target("avx2")]] std::size_t decodeBase64GroupsAVX2(const std::uint8_t* in, std::size_t length,
                                                           std::uint8_t* out) {
    std::size_t done = 0;
    std::size_t written = 0;
    while (length - done >= 32 &&
           base64ToBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done)), out + written)) {
        done += 32;
        written += 24;
    }
    return done + decodeBase64GroupsScalar(in + done, length - done, out + written);
}

// The same two steps over twice as many characters with AVX-512 (VBMI): each
// character is looked up in the first 128 entries of the digit tables, a set top bit
// in the character or its value marking a non-digit; 64 hexadecimal characters make
// 32 bytes, and 64 Base64 digits make 48 bytes.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline bool
lookUpDigits(__m512i characters, const std::uint8_t* table, __m512i& values) {
    values = _mm512_permutex2var_epi8(_mm512_loadu_si512(table), characters, _mm512_loadu_si512(table + 64));
    return _mm512_movepi8_mask(_mm512_or_si512(characters, values)) == 0;
}

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline bool hexToBytes(const std::uint8_t* in,
                                                                      __m256i& bytes) {
    __m512i values;
    if (!lookUpDigits(_mm512_loadu_si512(in), kHexDigitValues.data(), values)) {
        return false;
    }
    bytes = _mm512_cvtepi16_epi8(_mm512_maddubs_epi16(values, _mm512_set1_epi16(0x0110)));
    return true;
}

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline bool base64ToBytes(__m512i characters,
                                                                         std::uint8_t* out) {
    __m512i values;
    if (!lookUpDigits(characters, kBase64DigitValues.data(), values)) {
        return false;
    }
    const __m512i pairs = _mm512_maddubs_epi16(values, _mm512_set1_epi32(0x01400140));
    const __m512i groups = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00011000));
    // Byte k of the output is byte 2 - k % 3 of group k / 3.
    const __m512i byteOrder =
        _mm512_set_epi8(63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 60, 61, 62, 56, 57,
                        58, 52, 53, 54, 48, 49, 50, 44, 45, 46, 40, 41, 42, 36, 37, 38, 32, 33, 34, 28, 29,
                        30, 24, 25, 26, 20, 21, 22, 16, 17, 18, 12, 13, 14, 8, 9, 10, 4, 5, 6, 0, 1, 2);
    _mm512_mask_storeu_epi8(out, (__mmask64{1} << 48) - 1, _mm512_permutexvar_epi8(byteOrder, groups));
    return true;
}

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] std::size_t
decodeHexBase64BlocksAVX512(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
    std::size_t done = 0;
    std::size_t written = 0;
    __m256i first;
    __m256i second;
    while (length - done >= 128 && hexToBytes(in + done, first) && hexToBytes(in + done + 64, second) &&
           base64ToBytes(_mm512_inserti64x4(_mm512_castsi256_si512(first), second, 1), out + written)) {
        done += 128;
        written += 48;
    }
    return done;
}

// 64 hexadecimal characters make 32 Base64 digits make 24 bytes, without the Base64
// text ever leaving the registers. A zero byte is no Base64 digit, so blocks that end
// the text stop the run as well.
[[gnu::target("avx2")]] std::size_t decodeHexBase64BlocksAVX2(const std::uint8_t* in, std::size_t length,
                                                              std::uint8_t* out) {
    std::size_t done = 0;
    std::size_t written = 0;
    __m128i first;
    __m128i second;
    while (length - done >= 64 && hexToBytes(in + done, first) && hexToBytes(in + done + 32, second) &&
           base64ToBytes(_mm256_set_m128i(second, first), out + written)) {
        done += 64;
        written += 24;
    }
    return done;
}

#endif

} // namespace

std::size_t decodeHexPairs(const std::uint8_t* in, std::size_t pairs, std::uint8_t* out) {
#if defined(ORVEX_BULK_AVX2)
    if (hasAVX2()) {
        return decodeHexPairsAVX2(in, pairs, out);
    }
#endif
    return decodeHexPairsScalar(in, pairs, out);
}

std::size_t decodeBase64Groups(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
#if defined(ORVEX_BULK_AVX2)
    if (hasAVX2()) {
        return decodeBase64GroupsAVX2(in, length, out);
    }
#endif
    return decodeBase64GroupsScalar(in, length, out);
}

std::size_t decodeHexBase64Blocks(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
    std::size_t done = 0;
#if defined(ORVEX_BULK_AVX2)
    if (hasAVX512()) {
        done = decodeHexBase64BlocksAVX512(in, length, out);
    }
    if (hasAVX2()) {
        done += decodeHexBase64BlocksAVX2(in + done, length - done, out + done / 64 * 24);
    }
#endif
    return done;
}

} // namespace bulkdecoding
