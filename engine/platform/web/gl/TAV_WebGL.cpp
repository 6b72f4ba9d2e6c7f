// The fixed-function layer on WebGL 2 (see TAV_WebGL.h).
//
// PLATFORM: browsers, WebGL 2 (OpenGL ES 3.0) through Emscripten.
// LIMITATIONS (what OpenGL 1.x offers and this layer does not; nothing in the engine, the
// demo or the examples uses it):
//   - one light (GL_LIGHT0), directional or positional without attenuation or spot, no
//     local viewer, no two-sided lighting, no GL_COLOR_MATERIAL, GL_NORMALIZE or alpha test;
//   - texture environment GL_MODULATE only, one texture unit;
//   - texture-coordinate generation GL_SPHERE_MAP on S and T together only;
//   - glBegin with GL_TRIANGLES and GL_QUADS, glInterleavedArrays with V2F, V3F, N3F_V3F,
//     T2F_V3F and T2F_N3F_V3F, ubyte images in gluBuild2DMipmaps;
//   - polygon modes, shade models and hints are accepted and change nothing (WebGL fills and
//     interpolates always; flat shading is only used with colour writes off).
// A call outside these says so once on the console, never silently.
// DEPENDENCIES: Emscripten's WebGL bindings (emscripten_gl*, the real WebGL calls: the names
// without the prefix are the layer's own).
#include "gl/TAV_WebGL.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <webgl/webgl1.h>  // Required for: emscripten_gl* (WebGL itself)
#include <webgl/webgl2.h>  // Required for: emscripten_gl* of WebGL 2 (vertex arrays)

#include <cmath>    // Required for: sin(), cos(), sqrt()
#include <cstdio>   // Required for: printf() (the console's log, not its error channel)
#include <cstring>  // Required for: memcpy(), memcmp()
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Types and constants

struct Matrix {
    float m[16];  // column-major, as OpenGL
};

const Matrix IDENTITY = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// One vertex of glBegin/glEnd: what the layer's attributes take, tightly packed.
struct ImmediateVertex {
    float position[4];
    float texCoord[2];
    float normal[3];
    float color[4];
};

// Attribute locations, fixed in the vertex shader.
enum { ATTRIB_POSITION = 0, ATTRIB_TEXCOORD = 1, ATTRIB_NORMAL = 2, ATTRIB_COLOR = 3 };

// Stack depths of desktop GL's minimum guarantees.
const int MODELVIEW_DEPTH = 32;
const int OTHER_DEPTH = 4;
// Vertex data per frame is a few hundred kilobytes; the buffer starts over when full.
const int STREAM_BYTES = 4 << 20;
const int INDEX_STREAM_BYTES = 1 << 20;
// The largest glBegin/glEnd batch (the engine draws single quads).
const int IMMEDIATE_CAPACITY = 4096;

const char* VERTEX_SHADER = R"(#version 300 es
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec2 a_texCoord;
layout(location = 2) in vec3 a_normal;
layout(location = 3) in vec4 a_color;
uniform mat4 u_modelview;
uniform mat4 u_projection;
uniform mat4 u_textureMatrix;
uniform mat3 u_normalMatrix;
uniform bool u_lighting;
uniform bool u_sphereMap;
uniform float u_pointSize;
uniform vec4 u_lightPosition;   // eye space
uniform vec4 u_lightAmbient;
uniform vec4 u_lightDiffuse;
uniform vec4 u_lightSpecular;
uniform vec4 u_baseColor;       // emission + ambient of the scene, the material's part
uniform vec4 u_matAmbient;
uniform vec4 u_matDiffuse;
uniform vec4 u_matSpecular;
uniform float u_shininess;
out vec4 v_color;
out vec2 v_texCoord;
void main() {
    vec4 eye = u_modelview * a_position;
    gl_Position = u_projection * eye;
    gl_PointSize = u_pointSize;
    // Normals as desktop GL transforms them: not renormalised (no GL_NORMALIZE).
    vec3 n = u_normalMatrix * a_normal;
    vec4 color = a_color;
    if (u_lighting) {
        vec3 toLight = u_lightPosition.w == 0.0 ? normalize(u_lightPosition.xyz)
                                                : normalize(u_lightPosition.xyz - eye.xyz);
        float diffuse = max(dot(n, toLight), 0.0);
        vec3 lit = u_baseColor.rgb + u_matAmbient.rgb * u_lightAmbient.rgb
                 + diffuse * u_matDiffuse.rgb * u_lightDiffuse.rgb;
        if (diffuse > 0.0) {
            vec3 halfway = normalize(toLight + vec3(0.0, 0.0, 1.0));
            float nh = max(dot(n, halfway), 0.0);
            float specular = u_shininess == 0.0 ? 1.0 : pow(nh, u_shininess);
            lit += specular * u_matSpecular.rgb * u_lightSpecular.rgb;
        }
        color = vec4(lit, u_matDiffuse.a);
    }
    vec4 texCoord = vec4(a_texCoord, 0.0, 1.0);
    if (u_sphereMap) {
        vec3 r = reflect(normalize(eye.xyz), n);
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        texCoord.xy = r.xy / m + 0.5;
    }
    texCoord = u_textureMatrix * texCoord;
    v_texCoord = texCoord.xy / texCoord.w;
    v_color = clamp(color, 0.0, 1.0);
}
)";

const char* FRAGMENT_SHADER = R"(#version 300 es
precision highp float;
uniform sampler2D u_texture;
uniform bool u_texturing;
uniform bool u_smoothPoints;
uniform float u_pointSize;
uniform float u_lod;            // the level to sample, or negative for the usual choice
in vec4 v_color;
in vec2 v_texCoord;
out vec4 fragColor;
void main() {
    vec4 color = v_color;
    if (u_texturing)
        color *= u_lod >= 0.0 ? textureLod(u_texture, v_texCoord, u_lod) : texture(u_texture, v_texCoord);
    if (u_smoothPoints) {
        // Coverage of a disc of the point's diameter, one pixel of soft edge.
        float distancePx = length(gl_PointCoord - vec2(0.5)) * u_pointSize;
        color.a *= clamp(0.5 * u_pointSize - distancePx + 0.5, 0.0, 1.0);
    }
    fragColor = color;
}
)";

// ---------------------------------------------------------------------------------------
// Module state

struct Uniforms {
    GLint modelview, projection, textureMatrix, normalMatrix;
    GLint lighting, sphereMap, pointSize, smoothPoints, texturing, texture, lod;
    GLint lightPosition, lightAmbient, lightDiffuse, lightSpecular;
    GLint baseColor, matAmbient, matDiffuse, matSpecular, shininess;
};

struct ClientArray {
    GLenum format = 0;
    GLsizei strideBytes = 0;
    const unsigned char* data = nullptr;
};

struct State {
    Matrix modelview[MODELVIEW_DEPTH];
    Matrix projection[OTHER_DEPTH];
    Matrix texture[OTHER_DEPTH];
    int modelviewTop = 0;
    int projectionTop = 0;
    int textureTop = 0;
    GLenum matrixMode = GL_MODELVIEW;

    float color[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    float normal[3] = {0, 0, 1};

    bool texturing = false;
    bool lighting = false;
    bool light0 = false;
    bool genS = false;
    bool genT = false;
    bool smoothPoints = false;
    float pointSizePx = 1.0f;

    float lightPosition[4] = {0, 0, 1, 0};
    float lightAmbient[4] = {0, 0, 0, 1};
    float lightDiffuse[4] = {1, 1, 1, 1};
    float lightSpecular[4] = {1, 1, 1, 1};
    float matAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    float matDiffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float matSpecular[4] = {0, 0, 0, 1};
    float matEmission[4] = {0, 0, 0, 1};
    float shininess = 0.0f;

    ClientArray array;
    GLenum immediateMode = 0;
    // GL_TEXTURE_BASE_LEVEL with a non-mipmap minification filter, per texture name: the
    // level the shader samples explicitly (-1: none). WebGL could take the base level
    // itself, but the browser then rebuilds the texture's storage at every change, which
    // the demo's logo makes sixteen times a frame.
    GLuint boundTexture = 0;
    std::vector<int> sampledLevel;
    std::vector<GLint> minFilter;  // the filter the caller set, per texture name
    std::vector<ImmediateVertex> immediate;
    int unpackAlignment = 4;

    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int streamCursor = 0;
    int indexCursor = 0;
    Uniforms uniforms{};
    // The data of the last client-array draw, to skip re-sending a mesh drawn again at once
    // (a sprite drawn per particle).
    std::vector<unsigned char> lastUpload;
    int lastUploadOffset = -1;
    GLenum lastUploadFormat = 0;
    // The drawing buffer's alpha must read 1 everywhere, as on the desktop's alpha-less
    // visual; the browser clears it to 0 after presenting each frame.
    bool alphaFillPending = true;
    bool modelviewDirty = true;
    bool projectionDirty = true;
    bool textureDirty = true;
    // What WebGL was last given, so that a draw sends only what changed: a swarm of sprites
    // drawn one by one then costs a matrix and a draw call each.
    struct Sent {
        int lighting = -1, sphereMap = -1, texturing = -1, smoothPoints = -1;
        float pointSize = -1.0f;
        float lod = -2.0f;
        float color[4] = {-1, -1, -1, -1};
        float texCoord[2] = {-1e30f, -1e30f};
        float normal[3] = {-1e30f, -1e30f, -1e30f};
        bool colorArray = true, texCoordArray = true, normalArray = true;
        int arrayOffset = -1;      // offset and format the attribute pointers point at
        GLenum arrayFormat = 0;
        bool normalMatrixStale = true;
    } sent;
    const char* failure = "";
};

State& state()
{
    static State instance;
    return instance;
}

// Sets the drawing buffer's alpha to 1, once per frame before its first clear, draw or copy.
// Alpha writes are masked off for good (glColorMask), so it stays 1 for the whole frame.
void fillAlphaIfPending()
{
    State& s = state();
    if (!s.alphaFillPending)
        return;
    s.alphaFillPending = false;
    const GLboolean scissor = emscripten_glIsEnabled(GL_SCISSOR_TEST);
    GLfloat clear[4];
    emscripten_glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    GLboolean mask[4];
    emscripten_glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    emscripten_glDisable(GL_SCISSOR_TEST);
    emscripten_glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    emscripten_glClearColor(0, 0, 0, 1);
    emscripten_glClear(GL_COLOR_BUFFER_BIT);
    emscripten_glColorMask(mask[0], mask[1], mask[2], GL_FALSE);
    emscripten_glClearColor(clear[0], clear[1], clear[2], clear[3]);
    if (scissor)
        emscripten_glEnable(GL_SCISSOR_TEST);
}

void noteUnsupported(const char* what, unsigned value)
{
    static unsigned reported[16];
    static int count = 0;
    for (int i = 0; i < count; ++i)
        if (reported[i] == value)
            return;
    if (count < 16)
        reported[count++] = value;
    printf("webgl: %s 0x%x is not available in the browser build\n", what, value);
}

// ---------------------------------------------------------------------------------------
// Matrices

Matrix& current()
{
    State& s = state();
    switch (s.matrixMode) {
    case GL_PROJECTION: s.projectionDirty = true; return s.projection[s.projectionTop];
    case GL_TEXTURE: s.textureDirty = true; return s.texture[s.textureTop];
    default: s.modelviewDirty = true; return s.modelview[s.modelviewTop];
    }
}

void sendInt(GLint location, int& sent, int value)
{
    if (sent != value) {
        emscripten_glUniform1i(location, value);
        sent = value;
    }
}

// a = a * b, the order desktop GL multiplies in.
void multiply(Matrix& a, const float* b)
{
    float r[16];
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            r[col * 4 + row] = a.m[row] * b[col * 4] + a.m[4 + row] * b[col * 4 + 1]
                             + a.m[8 + row] * b[col * 4 + 2] + a.m[12 + row] * b[col * 4 + 3];
    std::memcpy(a.m, r, sizeof r);
}

// The inverse transpose of the upper 3 x 3 of `m`, which carries normals to eye space.
void normalMatrix(const Matrix& m, float out[9])
{
    const float a = m.m[0], b = m.m[4], c = m.m[8];
    const float d = m.m[1], e = m.m[5], f = m.m[9];
    const float g = m.m[2], h = m.m[6], i = m.m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // Column-major inverse transpose: column j holds row j of the inverse.
    out[0] = (e * i - f * h) * inv;
    out[1] = -(b * i - c * h) * inv;
    out[2] = (b * f - c * e) * inv;
    out[3] = -(d * i - f * g) * inv;
    out[4] = (a * i - c * g) * inv;
    out[5] = -(a * f - c * d) * inv;
    out[6] = (d * h - e * g) * inv;
    out[7] = -(a * h - b * g) * inv;
    out[8] = (a * e - b * d) * inv;
}

// ---------------------------------------------------------------------------------------
// Drawing

GLuint compile(GLenum kind, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        printf("webgl: shader: %s\n", log);
        emscripten_glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Sends what the shader needs of the state, just before a draw.
void applyState(bool points)
{
    State& s = state();
    const Uniforms& u = s.uniforms;
    State::Sent& sent = s.sent;
    const bool lit = s.lighting && s.light0;
    const bool sphereMap = s.texturing && s.genS && s.genT;
    const Matrix& mv = s.modelview[s.modelviewTop];
    if (s.modelviewDirty) {
        emscripten_glUniformMatrix4fv(u.modelview, 1, GL_FALSE, mv.m);
        s.modelviewDirty = false;
        sent.normalMatrixStale = true;
    }
    // Normals matter only to lighting and sphere maps; the inverse is skipped otherwise.
    if (sent.normalMatrixStale && (lit || sphereMap)) {
        float n[9];
        normalMatrix(mv, n);
        emscripten_glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, n);
        sent.normalMatrixStale = false;
    }
    if (s.projectionDirty) {
        emscripten_glUniformMatrix4fv(u.projection, 1, GL_FALSE, s.projection[s.projectionTop].m);
        s.projectionDirty = false;
    }
    if (s.textureDirty) {
        emscripten_glUniformMatrix4fv(u.textureMatrix, 1, GL_FALSE, s.texture[s.textureTop].m);
        s.textureDirty = false;
    }
    sendInt(u.lighting, sent.lighting, lit);
    sendInt(u.sphereMap, sent.sphereMap, sphereMap);
    sendInt(u.texturing, sent.texturing, s.texturing);
    sendInt(u.smoothPoints, sent.smoothPoints, points && s.smoothPoints);
    const float lod = s.texturing && s.boundTexture < s.sampledLevel.size() ? float(s.sampledLevel[s.boundTexture]) : -1.0f;
    if (sent.lod != lod) {
        emscripten_glUniform1f(u.lod, lod);
        sent.lod = lod;
    }
    if (points && sent.pointSize != s.pointSizePx) {
        emscripten_glUniform1f(u.pointSize, s.pointSizePx);
        sent.pointSize = s.pointSizePx;
    }
    if (lit) {
        emscripten_glUniform4fv(u.lightPosition, 1, s.lightPosition);
        emscripten_glUniform4fv(u.lightAmbient, 1, s.lightAmbient);
        emscripten_glUniform4fv(u.lightDiffuse, 1, s.lightDiffuse);
        emscripten_glUniform4fv(u.lightSpecular, 1, s.lightSpecular);
        // The scene's ambient light of desktop GL's light model: 0.2 grey.
        const float base[4] = {s.matEmission[0] + 0.2f * s.matAmbient[0], s.matEmission[1] + 0.2f * s.matAmbient[1],
                               s.matEmission[2] + 0.2f * s.matAmbient[2], 1.0f};
        emscripten_glUniform4fv(u.baseColor, 1, base);
        emscripten_glUniform4fv(u.matAmbient, 1, s.matAmbient);
        emscripten_glUniform4fv(u.matDiffuse, 1, s.matDiffuse);
        emscripten_glUniform4fv(u.matSpecular, 1, s.matSpecular);
        emscripten_glUniform1f(u.shininess, s.shininess);
    }
}

// Copies `bytes` of vertex data into the streaming buffer; returns its offset there.
int stream(const void* data, int bytes)
{
    State& s = state();
    if (s.streamCursor + bytes > STREAM_BYTES) {
        // Orphan the full buffer: WebGL hands out fresh storage while drawing goes on.
        emscripten_glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
        s.streamCursor = 0;
        s.lastUploadOffset = -1;
    }
    const int offset = s.streamCursor;
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
    // Offsets stay 16-byte aligned for every attribute layout.
    s.streamCursor += (bytes + 15) & ~15;
    return offset;
}

// An attribute that no array feeds takes the current value: a constant vertex attribute.
void constantAttribute(GLuint attrib, bool& fromArray, float* sent, const float* value, int components)
{
    if (fromArray) {
        emscripten_glDisableVertexAttribArray(attrib);
        fromArray = false;
    } else if (std::memcmp(sent, value, components * sizeof(float)) == 0) {
        return;
    }
    std::memcpy(sent, value, components * sizeof(float));
    float v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::memcpy(v, value, components * sizeof(float));
    emscripten_glVertexAttrib4f(attrib, v[0], v[1], v[2], v[3]);
}

void setConstantAttributes(bool hasTexCoord, bool hasNormal)
{
    State& s = state();
    State::Sent& sent = s.sent;
    constantAttribute(ATTRIB_COLOR, sent.colorArray, sent.color, s.color, 4);
    if (!hasTexCoord)
        constantAttribute(ATTRIB_TEXCOORD, sent.texCoordArray, sent.texCoord, s.texCoord, 2);
    if (!hasNormal)
        constantAttribute(ATTRIB_NORMAL, sent.normalArray, sent.normal, s.normal, 3);
}

void pointer(GLuint attrib, int components, int strideBytes, int offsetBytes)
{
    emscripten_glEnableVertexAttribArray(attrib);
    emscripten_glVertexAttribPointer(attrib, components, GL_FLOAT, GL_FALSE, strideBytes,
                                     reinterpret_cast<const void*>(intptr_t(offsetBytes)));
}

// The layout of an interleaved format: float counts of each part (0 when absent).
struct Layout {
    int texCoord, normal, position;
    int floats() const { return texCoord + normal + position; }
};

bool layoutOf(GLenum format, Layout& layout)
{
    switch (format) {
    case GL_V2F: layout = {0, 0, 2}; return true;
    case GL_V3F: layout = {0, 0, 3}; return true;
    case GL_N3F_V3F: layout = {0, 3, 3}; return true;
    case GL_T2F_V3F: layout = {2, 0, 3}; return true;
    case GL_T2F_N3F_V3F: layout = {2, 3, 3}; return true;
    default: return false;
    }
}

// Puts the client array's vertices first..first+count-1 in the buffer and points the
// attributes at them. Returns false when there is nothing to draw.
bool bindClientArray(int first, int count)
{
    State& s = state();
    Layout layout;
    if (s.array.data == nullptr || !layoutOf(s.array.format, layout)) {
        noteUnsupported("interleaved array format", s.array.format);
        return false;
    }
    const int strideBytes = s.array.strideBytes ? s.array.strideBytes : layout.floats() * 4;
    const int bytes = count * strideBytes;
    const unsigned char* data = s.array.data + first * strideBytes;
    int offset = s.lastUploadOffset;
    const bool same = offset >= 0 && s.lastUploadFormat == s.array.format && int(s.lastUpload.size()) == bytes
                   && std::memcmp(s.lastUpload.data(), data, bytes) == 0;
    if (!same) {
        offset = stream(data, bytes);
        s.lastUpload.assign(data, data + bytes);
        s.lastUploadOffset = offset;
        s.lastUploadFormat = s.array.format;
    }
    setConstantAttributes(layout.texCoord > 0, layout.normal > 0);
    State::Sent& sent = s.sent;
    if (sent.arrayOffset == offset && sent.arrayFormat == s.array.format)
        return true;  // the pointers are where this draw needs them
    if (layout.texCoord) {
        pointer(ATTRIB_TEXCOORD, 2, strideBytes, offset);
        sent.texCoordArray = true;
    }
    if (layout.normal) {
        pointer(ATTRIB_NORMAL, 3, strideBytes, offset + layout.texCoord * 4);
        sent.normalArray = true;
    }
    pointer(ATTRIB_POSITION, layout.position, strideBytes, offset + (layout.texCoord + layout.normal) * 4);
    sent.arrayOffset = offset;
    sent.arrayFormat = s.array.format;
    return true;
}

void pushImmediate(float x, float y, float z)
{
    State& s = state();
    if (s.immediateMode == 0 || int(s.immediate.size()) >= IMMEDIATE_CAPACITY)
        return;
    ImmediateVertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = 1.0f;
    std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.color, s.color, sizeof v.color);
    s.immediate.push_back(v);
}

// Halves a ubyte image of `components` channels as desktop GLU does: each texel the
// rounded mean of the 2 x 2 (or 2 x 1 at a one-texel edge) texels under it.
void halve(const unsigned char* src, int widthPx, int heightPx, int components, unsigned char* dst)
{
    const int outW = widthPx > 1 ? widthPx / 2 : 1;
    const int outH = heightPx > 1 ? heightPx / 2 : 1;
    const int dx = widthPx > 1 ? components : 0;
    const int dy = heightPx > 1 ? widthPx * components : 0;
    const bool both = dx && dy;
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            const unsigned char* s = src + ((y * (dy ? 2 : 1)) * widthPx + x * (dx ? 2 : 1)) * components;
            for (int c = 0; c < components; ++c) {
                if (both)
                    *dst++ = (unsigned char)((s[c] + s[c + dx] + s[c + dy] + s[c + dx + dy] + 2) / 4);
                else
                    *dst++ = (unsigned char)((s[c] + s[c + dx + dy]) / 2);
            }
        }
    }
}

int componentsOf(GLenum format)
{
    switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    default: return 1;
    }
}

// WebGL takes only the unsized formats that equal the data's format; desktop GL also takes
// a channel count.
GLint webInternalFormat(GLint internalFormat, GLenum format)
{
    if ((internalFormat >= 1 && internalFormat <= 4) || internalFormat == GL_RGB || internalFormat == GL_RGBA
        || internalFormat == GL_LUMINANCE || internalFormat == GL_LUMINANCE_ALPHA || internalFormat == GL_ALPHA)
        return GLint(format);
    return internalFormat;
}

bool isMipmapFilter(GLint filter)
{
    return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST
        || filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

// Makes room for texture name `name` in the per-texture tables.
void track(GLuint name)
{
    State& s = state();
    if (name >= s.sampledLevel.size()) {
        s.sampledLevel.resize(name + 1, -1);
        s.minFilter.resize(name + 1, GL_NEAREST_MIPMAP_LINEAR);  // GL's initial filter
    }
}

// The filter WebGL gets for the bound texture: one that samples a chosen level when the
// shader picks it, else the caller's.
void applyMinFilter(GLuint name)
{
    State& s = state();
    const GLint wanted = s.minFilter[name];
    GLint real = wanted;
    if (s.sampledLevel[name] >= 0)
        real = wanted == GL_NEAREST ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, real);
}

// The program, its uniforms and the streaming buffers: made once per page.
bool createProgram()
{
    State& s = state();
    const GLuint vertex = compile(GL_VERTEX_SHADER, VERTEX_SHADER);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vertex || !fragment) {
        s.failure = "The browser's WebGL could not compile the demo's shaders.";
        return false;
    }
    s.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(s.program, vertex);
    emscripten_glAttachShader(s.program, fragment);
    emscripten_glLinkProgram(s.program);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    GLint linked = 0;
    emscripten_glGetProgramiv(s.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        s.failure = "The browser's WebGL could not link the demo's shaders.";
        return false;
    }
    emscripten_glUseProgram(s.program);
    Uniforms& u = s.uniforms;
    const GLuint p = s.program;
    u.modelview = emscripten_glGetUniformLocation(p, "u_modelview");
    u.projection = emscripten_glGetUniformLocation(p, "u_projection");
    u.textureMatrix = emscripten_glGetUniformLocation(p, "u_textureMatrix");
    u.normalMatrix = emscripten_glGetUniformLocation(p, "u_normalMatrix");
    u.lighting = emscripten_glGetUniformLocation(p, "u_lighting");
    u.sphereMap = emscripten_glGetUniformLocation(p, "u_sphereMap");
    u.pointSize = emscripten_glGetUniformLocation(p, "u_pointSize");
    u.smoothPoints = emscripten_glGetUniformLocation(p, "u_smoothPoints");
    u.texturing = emscripten_glGetUniformLocation(p, "u_texturing");
    u.texture = emscripten_glGetUniformLocation(p, "u_texture");
    u.lod = emscripten_glGetUniformLocation(p, "u_lod");
    u.lightPosition = emscripten_glGetUniformLocation(p, "u_lightPosition");
    u.lightAmbient = emscripten_glGetUniformLocation(p, "u_lightAmbient");
    u.lightDiffuse = emscripten_glGetUniformLocation(p, "u_lightDiffuse");
    u.lightSpecular = emscripten_glGetUniformLocation(p, "u_lightSpecular");
    u.baseColor = emscripten_glGetUniformLocation(p, "u_baseColor");
    u.matAmbient = emscripten_glGetUniformLocation(p, "u_matAmbient");
    u.matDiffuse = emscripten_glGetUniformLocation(p, "u_matDiffuse");
    u.matSpecular = emscripten_glGetUniformLocation(p, "u_matSpecular");
    u.shininess = emscripten_glGetUniformLocation(p, "u_shininess");
    emscripten_glUniform1i(u.texture, 0);

    emscripten_glGenVertexArrays(1, &s.vertexArray);
    emscripten_glBindVertexArray(s.vertexArray);
    emscripten_glGenBuffers(1, &s.vertexBuffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.vertexBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
    emscripten_glGenBuffers(1, &s.indexBuffer);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s.indexBuffer);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, INDEX_STREAM_BYTES, nullptr, GL_STREAM_DRAW);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TAV_WebGL

bool TAV_WebGL::start()
{
    State& s = state();
    if (s.program == 0 && !createProgram())
        return false;
    // A context used before (the page plays the demo again) starts from GL's initial state,
    // as a new process's context would.
    const GLuint program = s.program, vertexArray = s.vertexArray;
    const GLuint vertexBuffer = s.vertexBuffer, indexBuffer = s.indexBuffer;
    const Uniforms uniforms = s.uniforms;
    s = State();
    s.program = program;
    s.vertexArray = vertexArray;
    s.vertexBuffer = vertexBuffer;
    s.indexBuffer = indexBuffer;
    s.uniforms = uniforms;
    for (Matrix& m : s.modelview)
        m = IDENTITY;
    for (Matrix& m : s.projection)
        m = IDENTITY;
    for (Matrix& m : s.texture)
        m = IDENTITY;
    s.immediate.reserve(IMMEDIATE_CAPACITY);
    s.sampledLevel.reserve(256);
    s.minFilter.reserve(256);
    s.lastUpload.reserve(64 * 1024);

    for (GLenum cap : {GL_BLEND, GL_CULL_FACE, GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL})
        emscripten_glDisable(cap);
    emscripten_glBlendFunc(GL_ONE, GL_ZERO);
    emscripten_glDepthFunc(GL_LESS);
    emscripten_glDepthMask(GL_TRUE);
    emscripten_glCullFace(GL_BACK);
    emscripten_glFrontFace(GL_CCW);
    emscripten_glClearColor(0, 0, 0, 0);
    emscripten_glClearDepthf(1.0f);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 4);
    emscripten_glBindTexture(GL_TEXTURE_2D, 0);
    emscripten_glUseProgram(s.program);
    emscripten_glBindVertexArray(s.vertexArray);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.vertexBuffer);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s.indexBuffer);
    emscripten_glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    return true;
}

void TAV_WebGL::endFrame()
{
    state().alphaFillPending = true;
}

const char* TAV_WebGL::failure()
{
    return state().failure;
}

// ---------------------------------------------------------------------------------------
// The OpenGL 1.x entry points

extern "C" {

void glEnable(GLenum cap)
{
    State& s = state();
    switch (cap) {
    case GL_TEXTURE_2D: s.texturing = true; break;
    case GL_LIGHTING: s.lighting = true; break;
    case GL_LIGHT0: s.light0 = true; break;
    case GL_TEXTURE_GEN_S: s.genS = true; break;
    case GL_TEXTURE_GEN_T: s.genT = true; break;
    case GL_POINT_SMOOTH: s.smoothPoints = true; break;
    case GL_BLEND:
    case GL_CULL_FACE:
    case GL_DEPTH_TEST:
    case GL_SCISSOR_TEST:
    case GL_POLYGON_OFFSET_FILL: emscripten_glEnable(cap); break;
    default: noteUnsupported("glEnable", cap); break;
    }
}

void glDisable(GLenum cap)
{
    State& s = state();
    switch (cap) {
    case GL_TEXTURE_2D: s.texturing = false; break;
    case GL_LIGHTING: s.lighting = false; break;
    case GL_LIGHT0: s.light0 = false; break;
    case GL_TEXTURE_GEN_S: s.genS = false; break;
    case GL_TEXTURE_GEN_T: s.genT = false; break;
    case GL_POINT_SMOOTH: s.smoothPoints = false; break;
    case GL_BLEND:
    case GL_CULL_FACE:
    case GL_DEPTH_TEST:
    case GL_SCISSOR_TEST:
    case GL_POLYGON_OFFSET_FILL: emscripten_glDisable(cap); break;
    default: break;  // off is WebGL's state for everything it lacks
    }
}

GLboolean glIsEnabled(GLenum cap)
{
    const State& s = state();
    switch (cap) {
    case GL_TEXTURE_2D: return s.texturing;
    case GL_LIGHTING: return s.lighting;
    case GL_LIGHT0: return s.light0;
    case GL_TEXTURE_GEN_S: return s.genS;
    case GL_TEXTURE_GEN_T: return s.genT;
    case GL_POINT_SMOOTH: return s.smoothPoints;
    default: return emscripten_glIsEnabled(cap);
    }
}

void glGetFloatv(GLenum pname, GLfloat* data)
{
    const State& s = state();
    switch (pname) {
    case GL_MODELVIEW_MATRIX: std::memcpy(data, s.modelview[s.modelviewTop].m, 64); break;
    case GL_PROJECTION_MATRIX: std::memcpy(data, s.projection[s.projectionTop].m, 64); break;
    case GL_TEXTURE_MATRIX: std::memcpy(data, s.texture[s.textureTop].m, 64); break;
    case GL_CURRENT_COLOR: std::memcpy(data, s.color, 16); break;
    case GL_POINT_SIZE: data[0] = s.pointSizePx; break;
    default: emscripten_glGetFloatv(pname, data); break;
    }
}

const GLubyte* glGetString(GLenum name)
{
    // Desktop GL's names for what WebGL 2 has: any texture size takes mipmaps.
    switch (name) {
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("2.1 (fixed-function layer on WebGL 2)");
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>("GL_ARB_texture_non_power_of_two");
    default: return emscripten_glGetString(name);
    }
}

void glBegin(GLenum mode)
{
    State& s = state();
    s.immediateMode = mode;
    s.immediate.clear();
}

void glEnd(void)
{
    State& s = state();
    const GLenum mode = s.immediateMode;
    s.immediateMode = 0;
    int count = int(s.immediate.size());
    if (mode == GL_QUADS) {
        // Two triangles per quad, in place: 0 1 2, 0 2 3.
        const int quads = count / 4;
        if (quads * 6 > IMMEDIATE_CAPACITY)
            return;
        s.immediate.resize(quads * 6);
        for (int q = quads - 1; q >= 0; --q) {
            const ImmediateVertex v0 = s.immediate[q * 4], v1 = s.immediate[q * 4 + 1];
            const ImmediateVertex v2 = s.immediate[q * 4 + 2], v3 = s.immediate[q * 4 + 3];
            ImmediateVertex* out = &s.immediate[q * 6];
            out[0] = v0; out[1] = v1; out[2] = v2;
            out[3] = v0; out[4] = v2; out[5] = v3;
        }
        count = quads * 6;
    } else if (mode != GL_TRIANGLES && mode != GL_POINTS && mode != GL_TRIANGLE_STRIP && mode != GL_TRIANGLE_FAN
               && mode != GL_LINES && mode != GL_LINE_STRIP) {
        noteUnsupported("glBegin mode", mode);
        return;
    }
    if (count == 0)
        return;
    fillAlphaIfPending();
    const int offset = stream(s.immediate.data(), count * int(sizeof(ImmediateVertex)));
    const int stride = sizeof(ImmediateVertex);
    pointer(ATTRIB_POSITION, 4, stride, offset + offsetof(ImmediateVertex, position));
    pointer(ATTRIB_TEXCOORD, 2, stride, offset + offsetof(ImmediateVertex, texCoord));
    pointer(ATTRIB_NORMAL, 3, stride, offset + offsetof(ImmediateVertex, normal));
    pointer(ATTRIB_COLOR, 4, stride, offset + offsetof(ImmediateVertex, color));
    State::Sent& sent = s.sent;
    sent.colorArray = sent.texCoordArray = sent.normalArray = true;
    sent.arrayOffset = -1;
    applyState(mode == GL_POINTS);
    emscripten_glDrawArrays(mode == GL_QUADS ? GL_TRIANGLES : mode, 0, count);
    // The current colour of the last glColor stays what later client arrays draw with.
}

void glVertex2f(GLfloat x, GLfloat y) { pushImmediate(x, y, 0.0f); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { pushImmediate(x, y, z); }

void glTexCoord2f(GLfloat s, GLfloat t)
{
    state().texCoord[0] = s;
    state().texCoord[1] = t;
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    float* n = state().normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    float* c = state().color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

void glColor4fv(const GLfloat* rgba) { glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]); }

void glMatrixMode(GLenum mode) { state().matrixMode = mode; }
void glLoadIdentity(void) { current() = IDENTITY; }
void glLoadMatrixf(const GLfloat* m) { std::memcpy(current().m, m, 64); }
void glMultMatrixf(const GLfloat* m) { multiply(current(), m); }

void glPushMatrix(void)
{
    State& s = state();
    switch (s.matrixMode) {
    case GL_PROJECTION:
        if (s.projectionTop + 1 < OTHER_DEPTH) {
            s.projection[s.projectionTop + 1] = s.projection[s.projectionTop];
            ++s.projectionTop;
        }
        break;
    case GL_TEXTURE:
        if (s.textureTop + 1 < OTHER_DEPTH) {
            s.texture[s.textureTop + 1] = s.texture[s.textureTop];
            ++s.textureTop;
        }
        break;
    default:
        if (s.modelviewTop + 1 < MODELVIEW_DEPTH) {
            s.modelview[s.modelviewTop + 1] = s.modelview[s.modelviewTop];
            ++s.modelviewTop;
        }
        break;
    }
}

void glPopMatrix(void)
{
    State& s = state();
    switch (s.matrixMode) {
    case GL_PROJECTION: if (s.projectionTop > 0) --s.projectionTop; s.projectionDirty = true; break;
    case GL_TEXTURE: if (s.textureTop > 0) --s.textureTop; s.textureDirty = true; break;
    default: if (s.modelviewTop > 0) --s.modelviewTop; s.modelviewDirty = true; break;
    }
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current().m;
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current().m;
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void glRotatef(GLfloat angleDeg, GLfloat x, GLfloat y, GLfloat z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angleDeg * float(M_PI / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const float t = 1.0f - c;
    const float r[16] = {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,
                         t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,
                         t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,
                         0,                 0,                 0,                 1};
    multiply(current(), r);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    const float r[16] = {float(2.0 / (right - left)), 0, 0, 0,
                         0, float(2.0 / (top - bottom)), 0, 0,
                         0, 0, float(-2.0 / (zFar - zNear)), 0,
                         float(-(right + left) / (right - left)), float(-(top + bottom) / (top - bottom)),
                         float(-(zFar + zNear) / (zFar - zNear)), 1};
    multiply(current(), r);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    const float r[16] = {float(2.0 * zNear / (right - left)), 0, 0, 0,
                         0, float(2.0 * zNear / (top - bottom)), 0, 0,
                         float((right + left) / (right - left)), float((top + bottom) / (top - bottom)),
                         float(-(zFar + zNear) / (zFar - zNear)), -1,
                         0, 0, float(-2.0 * zFar * zNear / (zFar - zNear)), 0};
    multiply(current(), r);
}

void glInterleavedArrays(GLenum format, GLsizei stride, const void* data)
{
    ClientArray& a = state().array;
    a.format = format;
    a.strideBytes = stride;
    a.data = static_cast<const unsigned char*>(data);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    fillAlphaIfPending();
    if (count <= 0 || !bindClientArray(first, count))
        return;
    applyState(mode == GL_POINTS);
    emscripten_glDrawArrays(mode, 0, count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    fillAlphaIfPending();
    State& s = state();
    if (count <= 0 || type != GL_UNSIGNED_INT) {
        if (count > 0)
            noteUnsupported("glDrawElements index type", type);
        return;
    }
    const GLuint* index = static_cast<const GLuint*>(indices);
    GLuint last = 0;
    for (int i = 0; i < count; ++i)
        last = index[i] > last ? index[i] : last;
    if (!bindClientArray(0, int(last) + 1))
        return;
    const int bytes = count * 4;
    if (s.indexCursor + bytes > INDEX_STREAM_BYTES) {
        emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, INDEX_STREAM_BYTES, nullptr, GL_STREAM_DRAW);
        s.indexCursor = 0;
    }
    const int offset = s.indexCursor;
    emscripten_glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, offset, bytes, indices);
    s.indexCursor += (bytes + 15) & ~15;
    applyState(mode == GL_POINTS);
    emscripten_glDrawElements(mode, count, GL_UNSIGNED_INT, reinterpret_cast<const void*>(intptr_t(offset)));
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    glMaterialfv(face, pname, &param);
}

void glMaterialfv(GLenum, GLenum pname, const GLfloat* params)
{
    State& s = state();
    switch (pname) {
    case GL_AMBIENT: std::memcpy(s.matAmbient, params, 16); break;
    case GL_DIFFUSE: std::memcpy(s.matDiffuse, params, 16); break;
    case GL_SPECULAR: std::memcpy(s.matSpecular, params, 16); break;
    case GL_EMISSION: std::memcpy(s.matEmission, params, 16); break;
    case GL_SHININESS: s.shininess = params[0]; break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(s.matAmbient, params, 16);
        std::memcpy(s.matDiffuse, params, 16);
        break;
    default: noteUnsupported("glMaterial parameter", pname); break;
    }
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    State& s = state();
    if (light != GL_LIGHT0) {
        noteUnsupported("light", light);
        return;
    }
    switch (pname) {
    case GL_AMBIENT: std::memcpy(s.lightAmbient, params, 16); break;
    case GL_DIFFUSE: std::memcpy(s.lightDiffuse, params, 16); break;
    case GL_SPECULAR: std::memcpy(s.lightSpecular, params, 16); break;
    case GL_POSITION: {
        // Stored in eye space, through the model-view matrix of this moment.
        const float* m = s.modelview[s.modelviewTop].m;
        for (int row = 0; row < 4; ++row)
            s.lightPosition[row] = m[row] * params[0] + m[4 + row] * params[1] + m[8 + row] * params[2]
                                 + m[12 + row] * params[3];
        break;
    }
    default: noteUnsupported("glLight parameter", pname); break;
    }
}

void glTexGeni(GLenum, GLenum pname, GLint param)
{
    if (pname != GL_TEXTURE_GEN_MODE || param != GL_SPHERE_MAP)
        noteUnsupported("texture generation mode", unsigned(param));
}

void glClear(GLbitfield mask)
{
    fillAlphaIfPending();
    emscripten_glClear(mask);
}

// The desktop's visual has no alpha channel: alpha stays 1 and is never written.
void glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean)
{
    emscripten_glColorMask(red, green, blue, GL_FALSE);
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y, GLsizei width,
                         GLsizei height)
{
    fillAlphaIfPending();
    emscripten_glCopyTexSubImage2D(target, level, xOffset, yOffset, x, y, width, height);
}

void glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width,
                      GLsizei height, GLint border)
{
    fillAlphaIfPending();
    emscripten_glCopyTexImage2D(target, level, internalFormat, x, y, width, height, border);
}

void glPointSize(GLfloat size) { state().pointSizePx = size; }
void glShadeModel(GLenum) {}
void glPolygonMode(GLenum, GLenum mode)
{
    if (mode != GL_FILL)
        noteUnsupported("polygon mode", mode);
}
void glHint(GLenum, GLenum) {}
void glPushAttrib(GLbitfield mask) { noteUnsupported("the attribute stack, mask", mask); }
void glPopAttrib(void) {}
void glTexEnvi(GLenum, GLenum, GLint mode)
{
    if (mode != GL_MODULATE)
        noteUnsupported("texture environment", unsigned(mode));
}
void glClearDepth(GLclampd depth) { emscripten_glClearDepthf(float(depth)); }

void glBindTexture(GLenum target, GLuint texture)
{
    if (target == GL_TEXTURE_2D) {
        state().boundTexture = texture;
        track(texture);
    }
    emscripten_glBindTexture(target, texture);
}

void glDeleteTextures(GLsizei count, const GLuint* textures)
{
    State& s = state();
    for (GLsizei i = 0; i < count; ++i) {
        if (textures[i] < s.sampledLevel.size()) {
            s.sampledLevel[textures[i]] = -1;
            s.minFilter[textures[i]] = GL_NEAREST_MIPMAP_LINEAR;
        }
        if (textures[i] == s.boundTexture)
            s.boundTexture = 0;
    }
    emscripten_glDeleteTextures(count, textures);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    State& s = state();
    // Desktop GL's GL_CLAMP mixes in the border colour, which the demo never sets (black):
    // clamping to the edge texel is the nearest WebGL offers.
    if (param == GL_CLAMP)
        param = GL_CLAMP_TO_EDGE;
    if (target == GL_TEXTURE_2D && s.boundTexture != 0) {
        const GLuint name = s.boundTexture;
        if (pname == GL_TEXTURE_MIN_FILTER) {
            s.minFilter[name] = param;
            if (isMipmapFilter(param))
                s.sampledLevel[name] = -1;
            applyMinFilter(name);
            return;
        }
        // A base level under a plain filter picks the one image shown: the shader samples it.
        if (pname == GL_TEXTURE_BASE_LEVEL && !isMipmapFilter(s.minFilter[name])) {
            const bool wasSampled = s.sampledLevel[name] >= 0;
            s.sampledLevel[name] = param;
            if (!wasSampled)
                applyMinFilter(name);
            return;
        }
    }
    emscripten_glTexParameteri(target, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    if (param == float(GL_CLAMP))
        param = float(GL_CLAMP_TO_EDGE);
    emscripten_glTexParameterf(target, pname, param);
}

void glPixelStorei(GLenum pname, GLint param)
{
    if (pname == GL_UNPACK_ALIGNMENT)
        state().unpackAlignment = param;
    emscripten_glPixelStorei(pname, param);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    emscripten_glTexImage2D(target, level, webInternalFormat(internalFormat, format), width, height, border, format,
                            type, pixels);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data)
{
    if (type != GL_UNSIGNED_BYTE || width <= 0 || height <= 0) {
        noteUnsupported("gluBuild2DMipmaps type", type);
        return GL_INVALID_ENUM;
    }
    const int components = componentsOf(format);
    const int alignment = state().unpackAlignment;
    const int rowBytes = (width * components + alignment - 1) / alignment * alignment;
    // Tightly packed copy of the caller's rows, then each level from the one before.
    std::vector<unsigned char> level(size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        std::memcpy(&level[size_t(y) * width * components], static_cast<const unsigned char*>(data) + size_t(y) * rowBytes,
                    size_t(width) * components);
    std::vector<unsigned char> next;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint internal = webInternalFormat(internalFormat, format);
    for (int levelIndex = 0;; ++levelIndex) {
        emscripten_glTexImage2D(target, levelIndex, internal, width, height, 0, format, type, level.data());
        if (width == 1 && height == 1)
            break;
        const int nextW = width > 1 ? width / 2 : 1;
        const int nextH = height > 1 ? height / 2 : 1;
        next.resize(size_t(nextW) * nextH * components);
        halve(level.data(), width, height, components, next.data());
        level.swap(next);
        width = nextW;
        height = nextH;
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return 0;
}

const GLubyte* gluErrorString(GLenum error)
{
    const char* text = "unknown error";
    switch (error) {
    case GL_NO_ERROR: text = "no error"; break;
    case GL_INVALID_ENUM: text = "invalid enumerant"; break;
    case GL_INVALID_VALUE: text = "invalid value"; break;
    case GL_INVALID_OPERATION: text = "invalid operation"; break;
    case GL_OUT_OF_MEMORY: text = "out of memory"; break;
    case GL_INVALID_FRAMEBUFFER_OPERATION: text = "invalid framebuffer operation"; break;
    default: break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

void gluPerspective(GLdouble fovyDeg, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovyDeg / 2.0 * M_PI / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0)
        return;
    const double cotangent = std::cos(radians) / sine;
    const float r[16] = {float(cotangent / aspect), 0, 0, 0,
                         0, float(cotangent), 0, 0,
                         0, 0, float(-(zFar + zNear) / deltaZ), -1,
                         0, 0, float(-2.0 * zNear * zFar / deltaZ), 0};
    multiply(current(), r);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    double f[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    const double fLength = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (fLength == 0.0)
        return;
    for (double& v : f)
        v /= fLength;
    // side = forward x up, then up = side x forward.
    double side[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    const double sLength = std::sqrt(side[0] * side[0] + side[1] * side[1] + side[2] * side[2]);
    if (sLength != 0.0)
        for (double& v : side)
            v /= sLength;
    const double up[3] = {side[1] * f[2] - side[2] * f[1], side[2] * f[0] - side[0] * f[2],
                          side[0] * f[1] - side[1] * f[0]};
    const float r[16] = {float(side[0]), float(up[0]), float(-f[0]), 0,
                         float(side[1]), float(up[1]), float(-f[1]), 0,
                         float(side[2]), float(up[2]), float(-f[2]), 0,
                         0, 0, 0, 1};
    multiply(current(), r);
    glTranslatef(float(-eyeX), float(-eyeY), float(-eyeZ));
}

}  // extern "C"
