#include "FrameConverter.h"

#include "Log.h"

#include <algorithm>
#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace recorder {

namespace {
// Plane rows start on this many bytes, as SIMD code in the encoders likes them.
const int kAlign = 64;
// About this many pixels make one band worth a thread of its own.
const int kPixelsPerBand = 1 << 20;
const int kMaxBands = 4;

// Full-range RGB into limited-range BT.709: Y' in 16..235, Cb and Cr in 16..240,
// as fixed-point factors with kShift fraction bits.
const int kShift = 15;
constexpr int fixed(double v) { return int(v * (1 << kShift) + (v < 0 ? -0.5 : 0.5)); }
const double kLumaScale = 219.0 / 255;
const double kChromaScale = 224.0 / 255;
const double kKr = 0.2126;
const double kKb = 0.0722;
const double kKg = 1 - kKr - kKb;
const int kYR = fixed(kKr * kLumaScale);
const int kYG = fixed(kKg * kLumaScale);
const int kYB = fixed(kKb * kLumaScale);
const int kUR = fixed(-kKr / (2 * (1 - kKb)) * kChromaScale);
const int kUG = fixed(-kKg / (2 * (1 - kKb)) * kChromaScale);
const int kUB = fixed(0.5 * kChromaScale);
const int kVR = fixed(0.5 * kChromaScale);
const int kVG = fixed(-kKg / (2 * (1 - kKr)) * kChromaScale);
const int kVB = fixed(-kKb / (2 * (1 - kKr)) * kChromaScale);
const int kLumaOffset = (16 << kShift) + (1 << (kShift - 1));
// Chroma is the mean of a 2 x 2 block: its sums carry two more fraction bits.
const int kChromaOffset = (128 << (kShift + 2)) + (1 << (kShift + 1));

struct Planes {
    uint8_t* data[3];
    int stride[3];
};

inline uint8_t lumaOf(const uint8_t* p)
{
    return uint8_t((kYR * p[2] + kYG * p[1] + kYB * p[0] + kLumaOffset) >> kShift);
}

// Converts the pixel pairs from `x` on of rows a and b (one chroma row).
void convertPairsScalar(const uint8_t* a, const uint8_t* b, int x, int width, uint8_t* ya, uint8_t* yb, uint8_t* u,
                        uint8_t* v)
{
    for (; x < width; x += 2) {
        const uint8_t* p = a + 4 * x;
        const uint8_t* q = b + 4 * x;
        ya[x] = lumaOf(p);
        ya[x + 1] = lumaOf(p + 4);
        yb[x] = lumaOf(q);
        yb[x + 1] = lumaOf(q + 4);
        const int sb = p[0] + p[4] + q[0] + q[4];
        const int sg = p[1] + p[5] + q[1] + q[5];
        const int sr = p[2] + p[6] + q[2] + q[6];
        u[x / 2] = uint8_t((kUR * sr + kUG * sg + kUB * sb + kChromaOffset) >> (kShift + 2));
        v[x / 2] = uint8_t((kVR * sr + kVG * sg + kVB * sb + kChromaOffset) >> (kShift + 2));
    }
}

#if defined(__SSE2__)
// Weighted sums of four pixels held as 16-bit B, G, R, A in `lo` (pixels 0, 1) and `hi`
// (pixels 2, 3): one 32-bit sum per pixel.
inline __m128i weigh4(__m128i lo, __m128i hi, __m128i weights)
{
    const __m128 l = _mm_castsi128_ps(_mm_madd_epi16(lo, weights));
    const __m128 h = _mm_castsi128_ps(_mm_madd_epi16(hi, weights));
    const __m128i even = _mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm_add_epi32(even, odd);
}

inline __m128i lumaOf8(__m128i p0, __m128i p1, __m128i weights, __m128i offset)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i y0 = weigh4(_mm_unpacklo_epi8(p0, zero), _mm_unpackhi_epi8(p0, zero), weights);
    __m128i y1 = weigh4(_mm_unpacklo_epi8(p1, zero), _mm_unpackhi_epi8(p1, zero), weights);
    y0 = _mm_srai_epi32(_mm_add_epi32(y0, offset), kShift);
    y1 = _mm_srai_epi32(_mm_add_epi32(y1, offset), kShift);
    const __m128i y = _mm_packs_epi32(y0, y1);
    return _mm_packus_epi16(y, y);
}

// Per pixel pair of rows a + b (16-bit B, G, R, A of pixels 0..3 in lo/hi halves), the sums
// of each 2 x 2 block: blocks 0 and 1 in one vector.
inline __m128i blockSums(__m128i a, __m128i b)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    return _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
}

inline int chroma4(__m128i blocks01, __m128i blocks23, __m128i weights, __m128i offset)
{
    __m128i c = weigh4(blocks01, blocks23, weights);
    c = _mm_srai_epi32(_mm_add_epi32(c, offset), kShift + 2);
    c = _mm_packs_epi32(c, c);
    return _mm_cvtsi128_si32(_mm_packus_epi16(c, c));
}

// Eight pixels of two rows at a time from `x` on; returns where it stopped.
int convertPairsSimd(const uint8_t* a, const uint8_t* b, int x, int width, uint8_t* ya, uint8_t* yb, uint8_t* u,
                     uint8_t* v)
{
    const __m128i yWeights = _mm_setr_epi16(kYB, kYG, kYR, 0, kYB, kYG, kYR, 0);
    const __m128i uWeights = _mm_setr_epi16(kUB, kUG, kUR, 0, kUB, kUG, kUR, 0);
    const __m128i vWeights = _mm_setr_epi16(kVB, kVG, kVR, 0, kVB, kVG, kVR, 0);
    const __m128i lumaOffset = _mm_set1_epi32(kLumaOffset);
    const __m128i chromaOffset = _mm_set1_epi32(kChromaOffset);
    for (; x + 8 <= width; x += 8) {
        const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 4 * x));
        const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 4 * x + 16));
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * x));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * x + 16));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(ya + x), lumaOf8(a0, a1, yWeights, lumaOffset));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(yb + x), lumaOf8(b0, b1, yWeights, lumaOffset));
        const __m128i blocks01 = blockSums(a0, b0);
        const __m128i blocks23 = blockSums(a1, b1);
        const int cu = chroma4(blocks01, blocks23, uWeights, chromaOffset);
        const int cv = chroma4(blocks01, blocks23, vWeights, chromaOffset);
        std::memcpy(u + x / 2, &cu, 4);
        std::memcpy(v + x / 2, &cv, 4);
    }
    return x;
}
#endif

#if defined(__x86_64__)
// The same sums as above on sixteen pixels: each 128-bit lane works as the 8-pixel version
// does, the low lane on pixels 0..7 and the high lane on pixels 8..15 (loads put pixels 0-3
// and 8-11 in one register, 4-7 and 12-15 in the other).
#define SR_AVX2 __attribute__((target("avx2")))
SR_AVX2 inline __m256i weigh4x2(__m256i lo, __m256i hi, __m256i weights)
{
    const __m256 l = _mm256_castsi256_ps(_mm256_madd_epi16(lo, weights));
    const __m256 h = _mm256_castsi256_ps(_mm256_madd_epi16(hi, weights));
    const __m256i even = _mm256_castps_si256(_mm256_shuffle_ps(l, h, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(l, h, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm256_add_epi32(even, odd);
}

// Luma of pixels 0..15 as bytes 0..15.
SR_AVX2 inline __m128i lumaOf16(__m256i p0, __m256i p1, __m256i weights, __m256i offset)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i y0 = weigh4x2(_mm256_unpacklo_epi8(p0, zero), _mm256_unpackhi_epi8(p0, zero), weights);
    __m256i y1 = weigh4x2(_mm256_unpacklo_epi8(p1, zero), _mm256_unpackhi_epi8(p1, zero), weights);
    y0 = _mm256_srai_epi32(_mm256_add_epi32(y0, offset), kShift);
    y1 = _mm256_srai_epi32(_mm256_add_epi32(y1, offset), kShift);
    const __m256i y = _mm256_packs_epi32(y0, y1);
    const __m256i bytes = _mm256_packus_epi16(y, y);
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, _MM_SHUFFLE(3, 1, 2, 0)));
}

SR_AVX2 inline __m256i blockSums2(__m256i a, __m256i b)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_add_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero));
    const __m256i hi = _mm256_add_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero));
    return _mm256_add_epi16(_mm256_unpacklo_epi64(lo, hi), _mm256_unpackhi_epi64(lo, hi));
}

// Chroma of blocks 0..7 as bytes 0..7.
SR_AVX2 inline __m128i chroma8(__m256i blocks, __m256i nextBlocks, __m256i weights, __m256i offset)
{
    __m256i c = weigh4x2(blocks, nextBlocks, weights);
    c = _mm256_srai_epi32(_mm256_add_epi32(c, offset), kShift + 2);
    c = _mm256_packs_epi32(c, c);
    c = _mm256_packus_epi16(c, c);
    return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(c, _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1)));
}

SR_AVX2 int convertPairsAvx2(const uint8_t* a, const uint8_t* b, int width, uint8_t* ya, uint8_t* yb, uint8_t* u,
                             uint8_t* v)
{
    const __m256i yWeights = _mm256_setr_epi16(kYB, kYG, kYR, 0, kYB, kYG, kYR, 0, kYB, kYG, kYR, 0, kYB, kYG, kYR, 0);
    const __m256i uWeights = _mm256_setr_epi16(kUB, kUG, kUR, 0, kUB, kUG, kUR, 0, kUB, kUG, kUR, 0, kUB, kUG, kUR, 0);
    const __m256i vWeights = _mm256_setr_epi16(kVB, kVG, kVR, 0, kVB, kVG, kVR, 0, kVB, kVG, kVR, 0, kVB, kVG, kVR, 0);
    const __m256i lumaOffset = _mm256_set1_epi32(kLumaOffset);
    const __m256i chromaOffset = _mm256_set1_epi32(kChromaOffset);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + 4 * x));
        const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + 4 * x + 32));
        const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 4 * x));
        const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 4 * x + 32));
        // Pixels 0-3 | 8-11 and 4-7 | 12-15 of each row.
        const __m256i pa0 = _mm256_permute2x128_si256(a0, a1, 0x20);
        const __m256i pa1 = _mm256_permute2x128_si256(a0, a1, 0x31);
        const __m256i pb0 = _mm256_permute2x128_si256(b0, b1, 0x20);
        const __m256i pb1 = _mm256_permute2x128_si256(b0, b1, 0x31);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(ya + x), lumaOf16(pa0, pa1, yWeights, lumaOffset));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(yb + x), lumaOf16(pb0, pb1, yWeights, lumaOffset));
        const __m256i blocks = blockSums2(pa0, pb0);     // blocks 0, 1 | 4, 5
        const __m256i nextBlocks = blockSums2(pa1, pb1); // blocks 2, 3 | 6, 7
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2), chroma8(blocks, nextBlocks, uWeights, chromaOffset));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2), chroma8(blocks, nextBlocks, vWeights, chromaOffset));
    }
    return x;
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// Rows first..last-1 (even bounds) of an even-sized BGRA picture into 4:2:0 planes.
void convertRows(const uint8_t* bgra, int stride, int width, int first, int last, const Planes& out)
{
    for (int y = first; y < last; y += 2) {
        const uint8_t* a = bgra + size_t(y) * stride;
        const uint8_t* b = a + stride;
        uint8_t* ya = out.data[0] + size_t(y) * out.stride[0];
        uint8_t* yb = ya + out.stride[0];
        uint8_t* u = out.data[1] + size_t(y / 2) * out.stride[1];
        uint8_t* v = out.data[2] + size_t(y / 2) * out.stride[2];
        int x = 0;
#if defined(__x86_64__)
        if (hasAvx2())
            x = convertPairsAvx2(a, b, width, ya, yb, u, v);
#endif
#if defined(__SSE2__)
        x = convertPairsSimd(a, b, x, width, ya, yb, u, v);
#endif
        convertPairsScalar(a, b, x, width, ya, yb, u, v);
    }
}
} // namespace

FrameConverter::FrameConverter(int width, int height, AVPixelFormat target)
    : m_width(width)
    , m_height(height)
    , m_target(target)
{
    const int threads = std::max(1, int(std::thread::hardware_concurrency()));
    m_bands = std::clamp(int((int64_t(width) * height + kPixelsPerBand / 2) / kPixelsPerBand), 1,
                         std::min(kMaxBands, threads));
    m_direct = target == AV_PIX_FMT_YUV420P && width % 2 == 0 && height % 2 == 0;
    if (m_direct) {
        if (m_bands > 1)
            m_workers.reset(new BandWorkers(m_bands - 1));
    } else {
        // swscale cuts the frame into slices of its own, one per thread.
        m_sws = sws_alloc_context();
        if (m_sws) {
            av_opt_set_int(m_sws, "srcw", width, 0);
            av_opt_set_int(m_sws, "srch", height, 0);
            av_opt_set_int(m_sws, "src_format", AV_PIX_FMT_BGR0, 0);
            av_opt_set_int(m_sws, "dstw", width, 0);
            av_opt_set_int(m_sws, "dsth", height, 0);
            av_opt_set_int(m_sws, "dst_format", target, 0);
            av_opt_set_int(m_sws, "sws_flags", SWS_BILINEAR, 0);
            av_opt_set_int(m_sws, "threads", m_bands, 0);
            if (sws_init_context(m_sws, nullptr, nullptr) < 0) {
                sws_freeContext(m_sws);
                m_sws = nullptr;
            } else {
                sws_setColorspaceDetails(m_sws, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                         sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
            }
        }
    }
    const int bytes = av_image_get_buffer_size(target, width, height, kAlign);
    if (bytes > 0) {
        m_frameBytes = bytes;
        m_pool = av_buffer_pool_init(size_t(bytes) + kAlign, av_buffer_alloc);
    }
    if (!isValid())
        Log("Screencast", 2, "no conversion of %dx%d BGRA into pixel format %d", width, height, int(target));
}

FrameConverter::~FrameConverter()
{
    m_workers.reset();
    sws_freeContext(m_sws);
    // Buffers still held by frames return to the pool and are freed with the last of them.
    av_buffer_pool_uninit(&m_pool);
}

AVFrame* FrameConverter::newFrame()
{
    AVBufferRef* buffer = av_buffer_pool_get(m_pool);
    if (!buffer)
        return nullptr;
    AVFrame* frame = av_frame_alloc();
    if (!frame) {
        av_buffer_unref(&buffer);
        return nullptr;
    }
    frame->buf[0] = buffer;
    frame->format = m_target;
    frame->width = m_width;
    frame->height = m_height;
    if (av_image_fill_arrays(frame->data, frame->linesize, buffer->data, m_target, m_width, m_height, kAlign) < 0)
        av_frame_free(&frame);
    return frame;
}

AVFrame* FrameConverter::convert(const uint8_t* bgra, int stride, AVBufferRef* bgraBuffer)
{
    if (!isValid())
        return nullptr;
    AVFrame* frame = newFrame();
    if (!frame)
        return nullptr;
    if (m_direct) {
        const Planes out{{frame->data[0], frame->data[1], frame->data[2]},
                         {frame->linesize[0], frame->linesize[1], frame->linesize[2]}};
        // Bands of whole chroma rows.
        const int pairs = m_height / 2;
        const auto band = [&](int index) {
            const int first = 2 * (pairs * index / m_bands);
            const int last = 2 * (pairs * (index + 1) / m_bands);
            convertRows(bgra, stride, m_width, first, last, out);
        };
        if (m_workers)
            m_workers->run(m_bands, band);
        else
            band(0);
        return frame;
    }
    // swscale runs its slice threads only for whole frames handed over with their buffers.
    AVFrame* source = av_frame_alloc();
    if (source && bgraBuffer) {
        source->buf[0] = av_buffer_ref(bgraBuffer);
        source->data[0] = const_cast<uint8_t*>(bgra);
        source->linesize[0] = stride;
        source->format = AV_PIX_FMT_BGR0;
        source->width = m_width;
        source->height = m_height;
    }
    const bool converted = source && source->buf[0] && sws_scale_frame(m_sws, frame, source) >= 0;
    av_frame_free(&source);
    if (!converted)
        av_frame_free(&frame);
    return frame;
}

} // namespace recorder
