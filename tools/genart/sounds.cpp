// SPDX-License-Identifier: MIT
// The thirteen table sounds, synthesised: clicks of bone on wood, chimes,
// a buzz, a knock and short tunes.
#include "art.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr double Rate = SampleRate;

class Track {
public:
    explicit Track(double seconds) : s(size_t(seconds * Rate), 0.0) {}

    // A decaying sine: amplitude, frequency, start, decay time constant,
    // attack time; cut where it has fallen below audibility or the track ends.
    void partial(double at, double freq, double amp, double tau, double attack = 0.002, double vibrato = 0)
    {
        const size_t start = size_t(at * Rate);
        double phase = 0;
        for (size_t i = start; i < s.size(); ++i) {
            const double t = (i - start) / Rate;
            const double env = std::exp(-t / tau) * std::min(1.0, t / attack);
            if (t > attack && env < 1e-4)
                break;
            const double f = freq * (1 + vibrato * std::sin(2 * M_PI * 5.5 * t));
            phase += 2 * M_PI * f / Rate;
            s[i] += amp * env * std::sin(phase);
        }
    }

    // A bell or tubular chime: a few partials, the higher ones dying sooner.
    void bell(double at, double freq, double amp, double tau)
    {
        partial(at, freq, amp, tau, 0.003);
        partial(at, freq * 2.0, amp * 0.32, tau * 0.55, 0.003);
        partial(at, freq * 3.01, amp * 0.12, tau * 0.35, 0.002);
        partial(at, freq * 4.23, amp * 0.06, tau * 0.2, 0.002);
    }

    // A mallet on a wooden bar: strong fundamental, a fourth-octave overtone
    // that fades fast.
    void marimba(double at, double freq, double amp, double tau)
    {
        partial(at, freq, amp, tau, 0.0025);
        partial(at, freq * 3.93, amp * 0.22, tau * 0.18, 0.001);
        partial(at, freq * 9.2, amp * 0.05, tau * 0.06, 0.001);
    }

    // A bone striking wood: a short burst of filtered noise exciting a few
    // stiff, quickly damped modes, with a little thump from the table.
    void click(double at, double pitch, double amp, double thump, uint32_t seed)
    {
        const double modes[4][3] = {{1900, 1.0, 0.010}, {2960, 0.6, 0.007}, {4700, 0.32, 0.005}, {6900, 0.16, 0.003}};
        for (const auto &m : modes)
            partial(at, m[0] * pitch, amp * m[1] * 0.55, m[2], 0.0004);
        if (thump > 0)
            partial(at, 170 * pitch, amp * thump, 0.018, 0.001);
        noiseBurst(at, 0.004, 2600 * pitch, 1.2, amp * 0.9, seed);
    }

    // Band-passed noise with a sharp attack and exponential fall.
    void noiseBurst(double at, double tau, double centre, double q, double amp, uint32_t seed)
    {
        const double w = 2 * M_PI * centre / Rate, alpha = std::sin(w) / (2 * q);
        const double b0 = alpha, b2 = -alpha, a0 = 1 + alpha, a1 = -2 * std::cos(w), a2 = 1 - alpha;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        const size_t start = size_t(at * Rate);
        for (size_t i = start; i < s.size(); ++i) {
            const double t = (i - start) / Rate;
            const double env = std::exp(-t / tau);
            if (env < 1e-4)
                break;
            const double x = hashUnit(uint32_t(i), seed, 3) * env;
            const double y = (b0 * x + b2 * x2 - a1 * y1 - a2 * y2) / a0;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            s[i] += amp * y * 3.0;
        }
    }

    // A reed-like buzz: odd harmonics of a low note, swelling and fading.
    void buzz(double at, double freq, double dur, double amp)
    {
        const size_t start = size_t(at * Rate), end = std::min(s.size(), size_t((at + dur) * Rate));
        for (size_t i = start; i < end; ++i) {
            const double t = (i - start) / Rate;
            const double env = std::min(1.0, t / 0.015) * std::min(1.0, (dur - t) / 0.06) * (0.85 + 0.15 * std::cos(2 * M_PI * 9 * t));
            double v = 0;
            for (int h = 1; h <= 11; h += 2)
                v += std::sin(2 * M_PI * freq * h * t) / h * std::exp(-h * 0.12);
            // A second voice a little off pitch makes it rough, not shrill.
            for (int h = 1; h <= 7; h += 2)
                v += 0.5 * std::sin(2 * M_PI * freq * 1.012 * h * t) / h;
            s[i] += amp * env * v;
        }
    }

    // A brass-like note: harmonics falling off gently, a soft swell and a
    // touch of vibrato once the note has settled.
    void brass(double at, double freq, double dur, double amp)
    {
        const size_t start = size_t(at * Rate), end = std::min(s.size(), size_t((at + dur) * Rate));
        double phase = 0;
        for (size_t i = start; i < end; ++i) {
            const double t = (i - start) / Rate;
            const double env = std::min(1.0, t / 0.025) * std::min(1.0, (dur - t) / 0.08) * (1 - 0.25 * std::min(1.0, t / 0.6));
            const double vib = 1 + 0.004 * std::sin(2 * M_PI * 5.2 * t) * std::min(1.0, t / 0.25);
            phase += 2 * M_PI * freq * vib / Rate;
            // Brighter at the start of the note, as a horn's attack is.
            const double bright = 0.55 + 0.45 * std::exp(-t / 0.08);
            double v = 0;
            for (int h = 1; h <= 8; ++h)
                v += std::sin(phase * h) * std::pow(bright, h - 1) / h;
            s[i] += amp * env * v;
        }
    }

    // Scales the track to the given peak, smooths both ends and trims the
    // silent tail.
    std::vector<float> finish(double peak)
    {
        // Gentle low-pass: takes the fizz off the synthesis.
        double y = 0;
        for (double &v : s) {
            y += 0.8 * (v - y);
            v = y;
        }
        size_t last = s.size();
        double top = 0;
        for (double v : s)
            top = std::max(top, std::abs(v));
        while (last > 1 && std::abs(s[last - 1]) < top * 0.002)
            --last;
        s.resize(std::max<size_t>(last, size_t(0.1 * Rate)));
        const double k = top > 0 ? peak / top : 0;
        // Whatever still rings at the end of the track fades out instead of stopping.
        const size_t fadeIn = size_t(0.0003 * Rate), fadeOut = std::min(size_t(0.15 * Rate), s.size() / 5);
        std::vector<float> out(s.size());
        for (size_t i = 0; i < s.size(); ++i) {
            double g = k;
            if (i < fadeIn)
                g *= double(i) / fadeIn;
            if (i + fadeOut > s.size())
                g *= double(s.size() - i) / fadeOut;
            out[i] = float(s[i] * g);
        }
        return out;
    }

private:
    std::vector<double> s;
};

// Notes used below.
constexpr double G4 = 392.00, C5 = 523.25, E5 = 659.25, G5 = 783.99, A5 = 880.0, C6 = 1046.5, D6 = 1174.66,
                 E6 = 1318.51, G6 = 1567.98, C7 = 2093.0;

std::vector<float> placeBone()
{
    Track t(0.2);
    t.click(0.0, 1.0, 1.0, 0.55, 11);
    t.click(0.021, 1.06, 0.3, 0.2, 12); // it settles
    return t.finish(0.5);
}

std::vector<float> selectBone()
{
    Track t(0.12);
    t.click(0.0, 1.35, 0.8, 0.0, 21);
    return t.finish(0.36);
}

std::vector<float> clearBone()
{
    Track t(0.12);
    t.click(0.0, 0.8, 0.8, 0.3, 31);
    return t.finish(0.34);
}

std::vector<float> sortHand()
{
    Track t(0.3);
    const double at[5] = {0.0, 0.038, 0.081, 0.118, 0.162};
    const double pitch[5] = {1.1, 0.95, 1.2, 1.02, 1.12};
    for (int i = 0; i < 5; ++i)
        t.click(at[i], pitch[i], 1.0 - i * 0.12, 0.15, 40 + i);
    return t.finish(0.4);
}

std::vector<float> turn()
{
    Track t(1.1);
    t.bell(0.0, A5, 0.8, 0.3);
    t.bell(0.13, E6, 1.0, 0.32);
    return t.finish(0.34);
}

std::vector<float> turnNew()
{
    Track t(0.7);
    t.marimba(0.0, G5, 0.9, 0.22);
    t.marimba(0.09, D6, 1.0, 0.26);
    t.marimba(0.18, G6, 0.55, 0.22);
    return t.finish(0.36);
}

std::vector<float> invalid()
{
    Track t(0.4);
    t.buzz(0.0, 98, 0.13, 1.0);
    t.buzz(0.17, 92, 0.2, 1.0);
    return t.finish(0.2);
}

std::vector<float> pass()
{
    Track t(0.35);
    for (double at : {0.0, 0.14}) {
        t.partial(at, 210, 1.0, 0.03, 0.002);
        t.partial(at, 540, 0.5, 0.018, 0.001);
        t.partial(at, 1230, 0.18, 0.008, 0.001);
        t.noiseBurst(at, 0.005, 900, 0.9, 0.5, uint32_t(at * 1000) + 50);
    }
    return t.finish(0.42);
}

std::vector<float> blocked()
{
    Track t(1.2);
    const double notes[4] = {G5, E5, C5, G4};
    for (int i = 0; i < 4; ++i)
        t.marimba(i * 0.16, notes[i], 1.0 - i * 0.08, i == 3 ? 0.26 : 0.2);
    return t.finish(0.36);
}

std::vector<float> roundOver()
{
    Track t(1.2);
    const double notes[4] = {C5, E5, G5, C6};
    for (int i = 0; i < 4; ++i)
        t.bell(i * 0.11, notes[i], 0.85, i == 3 ? 0.32 : 0.22);
    return t.finish(0.36);
}

std::vector<float> winner()
{
    Track t(1.2);
    t.brass(0.0, G4, 0.12, 0.8);
    t.brass(0.13, C5, 0.12, 0.85);
    t.brass(0.26, E5, 0.12, 0.9);
    t.brass(0.39, G5, 0.78, 1.0);
    // The last note is held over a soft chord.
    t.brass(0.39, E5, 0.78, 0.35);
    t.brass(0.39, C5, 0.78, 0.3);
    t.bell(0.39, C7, 0.12, 0.3);
    return t.finish(0.38);
}

std::vector<float> doublePlayed()
{
    Track t(0.8);
    t.partial(0.0, C7, 1.0, 0.28, 0.001);
    t.partial(0.0, C7 * 2.76, 0.35, 0.09, 0.001);
    t.partial(0.0, C7 * 5.40, 0.12, 0.04, 0.001);
    t.partial(0.0, C7 * 1.003, 0.4, 0.3, 0.001); // a slow shimmer
    t.click(0.0, 1.2, 0.25, 0.0, 60);
    return t.finish(0.3);
}

std::vector<float> entered()
{
    Track t(1.2);
    t.bell(0.0, E5, 1.0, 0.4);
    t.bell(0.34, C5, 1.0, 0.42);
    return t.finish(0.34);
}

} // namespace

std::vector<Sound> sounds()
{
    return {
        {QStringLiteral("sounds/blocked.wav"), blocked},
        {QStringLiteral("sounds/clearbone.wav"), clearBone},
        {QStringLiteral("sounds/double.wav"), doublePlayed},
        {QStringLiteral("sounds/entered.wav"), entered},
        {QStringLiteral("sounds/invalid.wav"), invalid},
        {QStringLiteral("sounds/pass.wav"), pass},
        {QStringLiteral("sounds/placebone.wav"), placeBone},
        {QStringLiteral("sounds/roundover.wav"), roundOver},
        {QStringLiteral("sounds/selectbone.wav"), selectBone},
        {QStringLiteral("sounds/sort.wav"), sortHand},
        {QStringLiteral("sounds/turn.wav"), turn},
        {QStringLiteral("sounds/turnnew.wav"), turnNew},
        {QStringLiteral("sounds/winner.wav"), winner},
    };
}

} // namespace art
