#include "CowDrawing.h"

#include <vector>

#include "Noise.h"

using namespace shapes;

namespace {

// A horn: a tapering curve from the skull outwards and up, mirrored by side (+1 right).
float horn(Vec2 q, float sideSign)
{
    const std::vector<Vec2> path = bezier(Vec2(0.42f * sideSign, -0.62f), Vec2(1.0f * sideSign, -0.72f),
                                          Vec2(0.92f * sideSign, -1.18f), 10);
    float d = 1e30f;
    for (size_t i = 1; i < path.size(); ++i) {
        const float t0 = float(i - 1) / float(path.size() - 1), t1 = float(i) / float(path.size() - 1);
        d = unite(d, taperedCapsule(q, path[i - 1], path[i], mix(0.15f, 0.035f, t0), mix(0.15f, 0.035f, t1)));
    }
    return d;
}

float ear(Vec2 q, float sideSign)
{
    return ellipse(q, Vec2(1.0f * sideSign, -0.3f), Vec2(0.44f, 0.19f), 0.38f * sideSign);
}

float innerEar(Vec2 q, float sideSign)
{
    return ellipse(q, Vec2(1.05f * sideSign, -0.28f), Vec2(0.3f, 0.09f), 0.38f * sideSign);
}

float skull(Vec2 q)
{
    const float cranium = ellipse(q, Vec2(0.0f, -0.18f), Vec2(0.76f, 0.7f));
    const float jaw = ellipse(q, Vec2(0.0f, 0.5f), Vec2(0.6f, 0.52f));
    return smoothUnite(cranium, jaw, 0.3f);
}

float muzzleShape(Vec2 q)
{
    return ellipse(q, Vec2(0.0f, 0.7f), Vec2(0.7f, 0.44f));
}

// The black patches, as a distance: two blobs with ragged edges, kept inside the skull.
float spots(Vec2 q)
{
    const float wobble = noise::fractal(q.x * 2.2f + 3.1f, q.y * 2.2f - 1.7f, 3, 4242u) * 0.12f;
    const float aroundEye = ellipse(q, Vec2(0.5f, -0.12f), Vec2(0.4f, 0.34f), -0.3f);
    const float onCrown = ellipse(q, Vec2(-0.34f, -0.62f), Vec2(0.36f, 0.2f), 0.2f);
    const float onCheek = ellipse(q, Vec2(-0.62f, 0.22f), Vec2(0.14f, 0.2f), 0.5f);
    return intersect(unite(unite(aroundEye, onCrown), onCheek) + wobble, skull(q) + 0.02f);
}

}  // namespace

namespace cow {

float side(Vec2 q)
{
    // Body: a long barrel with a straight back, a deep chest at the front and the hip
    // bones showing at the back.
    float body = box(q, Vec2(-0.06f, -0.06f), Vec2(0.54f, 0.23f), 0.19f);
    body = smoothUnite(body, ellipse(q, Vec2(0.26f, -0.02f), Vec2(0.3f, 0.29f)), 0.08f);
    body = smoothUnite(body, ellipse(q, Vec2(-0.47f, -0.14f), Vec2(0.18f, 0.2f)), 0.06f);
    body = smoothUnite(body, circle(q, Vec2(-0.44f, -0.27f), 0.07f), 0.05f);
    // Neck and a wedge-shaped head, lowered a little towards the viewer's right.
    const float neck = taperedCapsule(q, Vec2(0.34f, -0.1f), Vec2(0.64f, -0.1f), 0.22f, 0.13f);
    const float dewlap = ellipse(q, Vec2(0.48f, 0.1f), Vec2(0.13f, 0.1f), 0.3f);
    const float skullSide = taperedCapsule(q, Vec2(0.68f, -0.13f), Vec2(0.9f, 0.15f), 0.12f, 0.085f);
    const float jaw = ellipse(q, Vec2(0.72f, 0.02f), Vec2(0.12f, 0.09f), 0.6f);
    float d = smoothUnite(body, smoothUnite(neck, dewlap, 0.06f), 0.08f);
    d = smoothUnite(d, smoothUnite(skullSide, jaw, 0.04f), 0.04f);
    // Ear sticking out backwards, and a short horn.
    d = unite(d, ellipse(q, Vec2(0.57f, -0.2f), Vec2(0.13f, 0.05f), 0.45f));
    d = unite(d, taperedCapsule(q, Vec2(0.68f, -0.2f), Vec2(0.74f, -0.31f), 0.035f, 0.014f));
    // Legs: the far pair set apart from the near pair, tapering to hooves.
    const Vec2 legTops[4] = {Vec2(0.37f, 0.1f), Vec2(0.17f, 0.1f), Vec2(-0.52f, 0.06f), Vec2(-0.3f, 0.06f)};
    const float legShift[4] = {0.0f, 0.03f, 0.02f, -0.03f};
    for (int i = 0; i < 4; ++i) {
        const Vec2 top = legTops[i];
        const Vec2 foot(top.x + legShift[i], 0.64f);
        d = smoothUnite(d, taperedCapsule(q, top, foot, 0.07f, 0.042f), 0.04f);
        d = unite(d, box(q, Vec2(foot.x + 0.006f, 0.665f), Vec2(0.05f, 0.03f), 0.012f));
    }
    // Udder with two teats, and the tail with its tuft.
    d = smoothUnite(d, ellipse(q, Vec2(-0.14f, 0.21f), Vec2(0.11f, 0.08f)), 0.04f);
    d = unite(d, capsule(q, Vec2(-0.18f, 0.26f), Vec2(-0.19f, 0.33f), 0.018f));
    d = unite(d, capsule(q, Vec2(-0.1f, 0.26f), Vec2(-0.09f, 0.33f), 0.018f));
    d = unite(d, polyline(q, bezier(Vec2(-0.6f, -0.26f), Vec2(-0.74f, -0.12f), Vec2(-0.7f, 0.3f), 8), 0.02f));
    d = unite(d, ellipse(q, Vec2(-0.7f, 0.35f), Vec2(0.035f, 0.075f), 0.1f));
    return d;
}

float head(Vec2 q)
{
    float d = unite(skull(q), muzzleShape(q));
    d = unite(d, unite(ear(q, 1.0f), ear(q, -1.0f)));
    d = unite(d, unite(horn(q, 1.0f), horn(q, -1.0f)));
    return d;
}

void paintHead(Image& image, Vec2 centrePx, float scalePx, float squeeze, const HeadStyle& style)
{
    // Pixel to design units; distances come back in design units and go out in pixels.
    // The squeeze makes distances slightly uneven across x, which a one-pixel edge hides.
    auto toDesign = [=](Vec2 p) { return Vec2((p.x - centrePx.x) / (scalePx * squeeze), (p.y - centrePx.y) / scalePx); };
    auto inPixels = [=](auto shape) {
        return [=](Vec2 p) { return shape(toDesign(p)) * scalePx * squeeze; };
    };
    const float ow = style.outlineWidth;

    image.fill(inPixels([ow](Vec2 q) { return head(q) - ow; }), style.line);
    for (float s : {-1.0f, 1.0f}) {
        image.fill(inPixels([s](Vec2 q) { return horn(q, s); }), style.horns);
        image.fill(inPixels([s](Vec2 q) { return ear(q, s); }), style.hide);
        image.fill(inPixels([s](Vec2 q) { return innerEar(q, s); }), style.innerEar);
    }
    // Lines between ears and skull so the parts read separately.
    image.fill(inPixels([ow](Vec2 q) { return skull(q) - ow * 0.6f; }), style.line);
    image.fill(inPixels([](Vec2 q) { return skull(q); }), style.hide);
    image.fill(inPixels([](Vec2 q) { return spots(q); }), style.spots);
    image.fill(inPixels([ow](Vec2 q) { return muzzleShape(q) - ow * 0.6f; }), style.line);
    image.fill(inPixels([](Vec2 q) { return muzzleShape(q); }), style.muzzle);
    // Nostrils and the smile line of the muzzle.
    for (float s : {-1.0f, 1.0f}) {
        image.fill(inPixels([s](Vec2 q) { return ellipse(q, Vec2(0.27f * s, 0.66f), Vec2(0.085f, 0.12f), -0.35f * s); }),
                   style.line);
    }
    image.fill(inPixels([](Vec2 q) {
        return polyline(q, bezier(Vec2(-0.22f, 0.9f), Vec2(0.0f, 1.0f), Vec2(0.22f, 0.9f), 8), 0.025f);
    }), style.line);
    // Eyes: dark with a highlight, the one in the spot ringed in the hide colour.
    for (float s : {-1.0f, 1.0f}) {
        const Vec2 eye(0.38f * s, -0.02f);
        image.fill(inPixels([eye](Vec2 q) { return circle(q, eye, 0.15f); }), style.hide);
        image.fill(inPixels([eye](Vec2 q) { return circle(q, eye, 0.11f); }), style.line);
        image.fill(inPixels([eye](Vec2 q) { return circle(q, eye + Vec2(-0.035f, -0.04f), 0.035f); }), style.hide);
    }
}

}  // namespace cow
