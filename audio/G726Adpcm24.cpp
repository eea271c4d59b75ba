#include "audio/G726Adpcm24.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <iterator>

namespace {

// The 24 kbit/s tables, by code word: inverse quantizer output (log domain), scale-factor
// multiplier and speed-control input.
constexpr int32_t kDqln[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int32_t kW[8] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};
constexpr int32_t kF[8] = {0, 0x200, 0x400, 0xE00, 0xE00, 0x400, 0x200, 0};
// Decision levels of the quantizer (log domain) between magnitudes 0, 1, 2 and 3.
constexpr int32_t kDecisionLevels[3] = {8, 218, 331};

// How many of the powers of two 1, 2, 4, ..., 16384 are <= v.
int32_t Quan(int32_t v)
{
    return v <= 0 ? 0 : std::min(15, static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(v))));
}

// Multiplies a predictor coefficient by a signal in the 4-bit-exponent, 6-bit-mantissa form.
int32_t Fmult(int32_t an, int32_t srn)
{
    const int32_t anmag = an > 0 ? an : (-an) & 0x1FFF;
    const int32_t anexp = Quan(anmag) - 6;
    const int32_t anmant = anmag == 0 ? 32 : anexp >= 0 ? anmag >> anexp : anmag << -anexp;
    const int32_t wanexp = anexp + ((srn >> 6) & 15) - 13;
    const int32_t wanmant = (anmant * (srn & 63) + 48) >> 4;
    const int32_t r = wanexp >= 0 ? (wanmant << wanexp) & 0x7FFF : wanmant >> -wanexp;
    return (an ^ srn) < 0 ? -r : r;
}

struct Estimate {
    int32_t sez;   // from the zero predictor alone
    int32_t se;    // signal estimate
};

Estimate Predict(const G723State& s)
{
    int32_t sezi = 0;
    for (int i = 0; i < 6; ++i) {
        sezi += Fmult(s.b[i] >> 2, s.dq[i]);
    }
    const int32_t sei = sezi + Fmult(s.a[1] >> 2, s.sr[1]) + Fmult(s.a[0] >> 2, s.sr[0]);
    return {sezi >> 1, sei >> 1};
}

int32_t StepSize(const G723State& s)
{
    if (s.ap >= 256) {
        return s.yu;
    }
    int32_t y = s.yl >> 6;
    const int32_t dif = s.yu - y;
    const int32_t al = s.ap >> 2;
    if (dif > 0) {
        y += (dif * al) >> 6;
    } else if (dif < 0) {
        y += (dif * al + 63) >> 6;
    }
    return y;
}

// The quantized difference: sign in bit 15, magnitude below.
int32_t Reconstruct(bool negative, int32_t dqln, int32_t y)
{
    const int32_t dql = dqln + (y >> 2);
    if (dql < 0) {
        return negative ? -32768 : 0;
    }
    const int32_t dex = (dql >> 7) & 15;
    const int32_t dqt = 128 + (dql & 127);
    // The step size stays below 5121, which keeps dex at 12 or less; the bound only keeps
    // the shift defined.
    const int32_t dqm = (dqt << 7) >> std::max(0, 14 - dex);
    return negative ? dqm - 32768 : dqm;
}

// A magnitude in the 4-bit-exponent, 6-bit-mantissa form, with 0x400 taken off when negative.
int16_t FloatForm(int32_t mag, bool negative)
{
    const int32_t e = Quan(mag);
    return static_cast<int16_t>((e << 6) + ((mag << 6) >> e) - (negative ? 0x400 : 0));
}

int32_t LimitA2(int32_t a2p, bool signsDiffer)
{
    if (signsDiffer) {
        return a2p <= -12160 ? -12288 : a2p >= 12416 ? 12288 : a2p - 128;
    }
    return a2p <= -12416 ? -12288 : a2p >= 12160 ? 12288 : a2p + 128;
}

void UpdatePredictors(G723State& s, int32_t dq, int32_t dqsez, int32_t pk0, int32_t mag)
{
    const int32_t pks1 = pk0 ^ s.pk[0];
    int32_t a2p = s.a[1] - (s.a[1] >> 7);
    if (dqsez != 0) {
        const int32_t fa1 = pks1 != 0 ? s.a[0] : -s.a[0];
        a2p += fa1 < -8191 ? -256 : fa1 > 8191 ? 255 : fa1 >> 5;
        a2p = LimitA2(a2p, (pk0 ^ s.pk[1]) != 0);
    }
    s.a[1] = static_cast<int16_t>(a2p);
    int32_t a1 = s.a[0] - (s.a[0] >> 8);
    if (dqsez != 0) {
        a1 += pks1 == 0 ? 192 : -192;
    }
    const int32_t a1ul = 15360 - a2p;
    s.a[0] = static_cast<int16_t>(std::clamp(a1, -a1ul, a1ul));
    for (int i = 0; i < 6; ++i) {
        int32_t b = s.b[i] - (s.b[i] >> 8);
        if (mag != 0) {
            b += (dq ^ s.dq[i]) >= 0 ? 128 : -128;
        }
        s.b[i] = static_cast<int16_t>(b);
    }
}

void Update(G723State& s, int32_t y, int32_t code, int32_t dq, int32_t sr, int32_t dqsez)
{
    const int32_t pk0 = dqsez < 0 ? 1 : 0;
    const int32_t mag = dq & 0x7FFF;

    // Transition detector: a sudden large difference while a tone was held.
    const int32_t ylint = s.yl >> 15;
    const int32_t ylfrac = (s.yl >> 10) & 31;
    const int32_t thr1 = (32 + ylfrac) << ylint;
    const int32_t thr2 = ylint > 9 ? 31 << 10 : thr1;
    const int32_t dqthr = (thr2 + (thr2 >> 1)) >> 1;
    const bool tr = s.td != 0 && mag > dqthr;

    const int32_t yu = std::clamp(y + ((kW[code] - y) >> 5), 544, 5120);
    s.yu = static_cast<int16_t>(yu);
    s.yl += yu + ((-s.yl) >> 6);

    if (tr) {
        s.a[0] = 0;
        s.a[1] = 0;
        std::fill(std::begin(s.b), std::end(s.b), int16_t{0});
    } else {
        UpdatePredictors(s, dq, dqsez, pk0, mag);
    }

    std::copy_backward(s.dq, s.dq + 5, s.dq + 6);
    s.dq[0] = mag == 0 ? static_cast<int16_t>(dq >= 0 ? 32 : 0xFC20) : FloatForm(mag, dq < 0);
    s.sr[1] = s.sr[0];
    if (sr == 0) {
        s.sr[0] = 32;
    } else if (sr == -32768) {
        s.sr[0] = static_cast<int16_t>(0xFC20);
    } else {
        s.sr[0] = FloatForm(std::abs(sr), sr < 0);
    }
    s.pk[1] = s.pk[0];
    s.pk[0] = static_cast<int16_t>(pk0);

    // Tone detector: a strongly negative second pole coefficient.
    s.td = !tr && s.a[1] < -11776 ? 1 : 0;

    s.dms = static_cast<int16_t>(s.dms + ((kF[code] - s.dms) >> 5));
    s.dml = static_cast<int16_t>(s.dml + (((kF[code] << 2) - s.dml) >> 7));
    if (tr) {
        s.ap = 256;
    } else if (y < 1536 || s.td == 1 || std::abs((s.dms << 2) - s.dml) >= (s.dml >> 3)) {
        s.ap = static_cast<int16_t>(s.ap + ((512 - s.ap) >> 4));
    } else {
        s.ap = static_cast<int16_t>(s.ap + ((-s.ap) >> 4));
    }
}

// Reconstructs the signal for `code`, adapts the state and returns the reconstructed signal.
int32_t Adapt(int32_t code, const Estimate& estimate, int32_t y, G723State& s)
{
    const int32_t dq = Reconstruct((code & 4) != 0, kDqln[code], y);
    const auto sr = static_cast<int16_t>(dq < 0 ? estimate.se - (dq & 0x3FFF) : estimate.se + dq);
    const int32_t dqsez = sr - estimate.se + estimate.sez;
    Update(s, y, code, dq, sr, dqsez);
    return sr;
}

int32_t Quantize(int32_t d, int32_t y)
{
    const int32_t dqm = std::abs(d);
    const int32_t exp = Quan(dqm >> 1);
    const int32_t mant = ((dqm << 7) >> exp) & 0x7F;
    const int32_t dln = (exp << 7) + mant - (y >> 2);
    int32_t i = 0;
    while (i < 3 && dln >= kDecisionLevels[i]) {
        ++i;
    }
    if (d < 0) {
        return 7 - i;
    }
    // A positive difference too small to code is sent as code 7, never as the all-zero word.
    return i == 0 ? 7 : i;
}

}  // namespace

int16_t G726Decode24(int32_t code, G723State& state)
{
    const Estimate estimate = Predict(state);
    const int32_t y = StepSize(state);
    // The signal has a 14-bit range; the sample keeps the low 16 bits of four times it.
    return static_cast<int16_t>(Adapt(code & 7, estimate, y, state) * 4);
}

int32_t G726Encode24(int16_t sample, G723State& state)
{
    const Estimate estimate = Predict(state);
    const int32_t y = StepSize(state);
    const int32_t code = Quantize((sample >> 2) - estimate.se, y);
    Adapt(code, estimate, y, state);
    return code;
}
