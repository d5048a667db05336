#include "present/gl_screen.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cctype>
#include <cstddef>
#include <cstring>

#include "core/log.h"

namespace present {

namespace {

// Every GL function this file calls, in the order they are loaded. Nothing is
// linked against a GL library: the entry points come from SDL, which is the
// only way that works for a core profile on every platform.
#define TUMBOLD_GL_FUNCTIONS(X)                                                                           \
  X(glCreateShader, GLuint, (GLenum))                                                                     \
  X(glShaderSource, void, (GLuint, GLsizei, const GLchar* const*, const GLint*))                          \
  X(glCompileShader, void, (GLuint))                                                                      \
  X(glGetShaderiv, void, (GLuint, GLenum, GLint*))                                                        \
  X(glGetShaderInfoLog, void, (GLuint, GLsizei, GLsizei*, GLchar*))                                       \
  X(glDeleteShader, void, (GLuint))                                                                       \
  X(glCreateProgram, GLuint, ())                                                                          \
  X(glAttachShader, void, (GLuint, GLuint))                                                               \
  X(glLinkProgram, void, (GLuint))                                                                        \
  X(glGetProgramiv, void, (GLuint, GLenum, GLint*))                                                       \
  X(glGetProgramInfoLog, void, (GLuint, GLsizei, GLsizei*, GLchar*))                                      \
  X(glDeleteProgram, void, (GLuint))                                                                      \
  X(glUseProgram, void, (GLuint))                                                                         \
  X(glGetUniformLocation, GLint, (GLuint, const GLchar*))                                                 \
  X(glUniform1i, void, (GLint, GLint))                                                                    \
  X(glUniform1f, void, (GLint, GLfloat))                                                                  \
  X(glUniform4f, void, (GLint, GLfloat, GLfloat, GLfloat, GLfloat))                                       \
  X(glGenVertexArrays, void, (GLsizei, GLuint*))                                                          \
  X(glBindVertexArray, void, (GLuint))                                                                    \
  X(glDeleteVertexArrays, void, (GLsizei, const GLuint*))                                                 \
  X(glActiveTexture, void, (GLenum))                                                                      \
  X(glGenFramebuffers, void, (GLsizei, GLuint*))                                                          \
  X(glBindFramebuffer, void, (GLenum, GLuint))                                                            \
  X(glFramebufferTexture2D, void, (GLenum, GLenum, GLenum, GLuint, GLint))                                \
  X(glCheckFramebufferStatus, GLenum, (GLenum))                                                           \
  X(glDeleteFramebuffers, void, (GLsizei, const GLuint*))                                                 \
  X(glGenTextures, void, (GLsizei, GLuint*))                                                              \
  X(glDeleteTextures, void, (GLsizei, const GLuint*))                                                     \
  X(glBindTexture, void, (GLenum, GLuint))                                                                \
  X(glTexParameteri, void, (GLenum, GLenum, GLint))                                                       \
  X(glTexImage2D, void, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*))     \
  X(glTexSubImage2D, void, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*))  \
  X(glPixelStorei, void, (GLenum, GLint))                                                                 \
  X(glViewport, void, (GLint, GLint, GLsizei, GLsizei))                                                   \
  X(glClearColor, void, (GLfloat, GLfloat, GLfloat, GLfloat))                                             \
  X(glClear, void, (GLbitfield))                                                                          \
  X(glDrawArrays, void, (GLenum, GLint, GLsizei))                                                         \
  X(glReadPixels, void, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                          \
  X(glDisable, void, (GLenum))

struct GlFunctions {
#define TUMBOLD_GL_MEMBER(name, result, args) result(APIENTRY* name) args = nullptr;
  TUMBOLD_GL_FUNCTIONS(TUMBOLD_GL_MEMBER)
#undef TUMBOLD_GL_MEMBER
};

GlFunctions gl;

void* sdlLookup(const char* name) { return SDL_GL_GetProcAddress(name); }

template <typename Function>
bool loadEntry(Function& slot, const char* name, GlLookup lookup) {
  slot = reinterpret_cast<Function>(lookup(name));
  if (slot) return true;
  core::log(core::LogLevel::Error, "OpenGL: no %s", name);
  return false;
}

bool loadFunctions(GlLookup lookup) {
#define TUMBOLD_GL_LOAD(name, result, args) \
  if (!loadEntry(gl.name, #name, lookup)) return false;
  TUMBOLD_GL_FUNCTIONS(TUMBOLD_GL_LOAD)
#undef TUMBOLD_GL_LOAD
  return true;
}

// One triangle larger than the viewport, its corners chosen by the vertex
// index, so no vertex data is needed. Texture coordinate (0, 0) is the top-left
// corner of the viewport and of the picture, whose first row is its top.
const char* const kVertexSource = R"(#version 150
out vec2 vTexCoord;
void main() {
  vec2 position = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  vTexCoord = vec2(position.x * 0.5 + 0.5, 0.5 - position.y * 0.5);
  gl_Position = vec4(position, 0.0, 1.0);
}
)";

// Curvature, sharpened vertical sampling with horizontal softening, scan lines
// whose weight follows the brightness, and rounded black corners. The fine
// shadow mask always picks its dark value at these settings, so it is a
// constant factor.
const char* const kCrtSource = R"(#version 150
in vec2 vTexCoord;
out vec4 FragColor;
uniform sampler2D Source;
uniform vec4 SourceSize;
uniform vec4 OutputSize;
uniform float CURVE;

const float BLURSCALEX = 0.30;
const float LOWLUMSCAN = 6.0;
const float HILUMSCAN = 8.0;
const float BRIGHTBOOST = 1.25;
const float MASK_DARK = 0.25;
const float MASK_FADE = 0.8;
const float CORNER = 0.3;

void main() {
  vec2 q = vTexCoord * 2.0 - 1.0;
  vec2 c = vec2(q.x * (1.0 + 1.3333 * CURVE * q.y * q.y), q.y * (1.0 + CURVE * q.x * q.x));
  c = clamp(c * 0.5 + 0.5, 0.0, 1.0);

  vec2 p = c * SourceSize.xy;
  vec2 i = floor(p) + 0.5;
  vec2 f = p - i;
  vec2 s = (i + 4.0 * f * f * f) / SourceSize.xy;
  s.x = s.x + (c.x - s.x) * BLURSCALEX;

  float Y = f.y * f.y;
  float YY = Y * Y;
  float mask = 1.0 - MASK_DARK;

  vec3 colour = texture(Source, s).rgb;
  float A = (BRIGHTBOOST - LOWLUMSCAN * (Y - 2.05 * YY)) * mask;
  float B = 1.0 - HILUMSCAN * (YY - 2.8 * YY * Y);

  vec2 k = min(c, 1.0 - c);
  if (k.y <= (CORNER * 0.0001) / k.x) colour = vec3(0.0);

  float lum = (colour.r + colour.g + colour.b) * 0.3333 * MASK_FADE;
  FragColor = vec4(colour * (A + (B - A) * lum), 1.0);
}
)";

// Each source pixel is enlarged by the largest whole factor that fits and
// stays flat; only a band one output pixel wide at its edges blends into the
// neighbour through the linear filter, which hides uneven pixel widths.
const char* const kSharpSource = R"(#version 150
in vec2 vTexCoord;
out vec4 FragColor;
uniform sampler2D Source;
uniform vec4 SourceSize;
uniform vec4 OutputSize;

void main() {
  vec2 texel = vTexCoord * SourceSize.xy;
  vec2 scale = max(floor(OutputSize.xy * SourceSize.zw), vec2(1.0));
  vec2 range = 0.5 - 0.5 / scale;
  vec2 d = fract(texel) - 0.5;
  vec2 f = (d - clamp(d, -range, range)) * scale + 0.5;
  FragColor = vec4(texture(Source, (floor(texel) + f) * SourceSize.zw).rgb, 1.0);
}
)";

constexpr GLsizei kInfoLogBytes = 1024;

// Drivers end their info logs with a line break; the log line has its own.
const char* trimmed(char* text) {
  std::size_t n = std::strlen(text);
  while (n > 0 && std::isspace(static_cast<unsigned char>(text[n - 1]))) text[--n] = '\0';
  return text;
}

// A shader or a program as built: the object when its status says it built;
// else its info log in one error line, the object deleted and 0. Shaders and
// programs are asked and deleted through functions of the same form.
GLuint built(GLuint object, GLenum status, const char* what, decltype(GlFunctions::glGetShaderiv) getStatus,
             decltype(GlFunctions::glGetShaderInfoLog) getLog, decltype(GlFunctions::glDeleteShader) remove) {
  GLint ok = GL_FALSE;
  getStatus(object, status, &ok);
  if (ok == GL_TRUE) return object;
  char text[kInfoLogBytes + 1] = {};
  getLog(object, kInfoLogBytes, nullptr, text);
  core::log(core::LogLevel::Error, "OpenGL %s: %s", what, trimmed(text));
  remove(object);
  return 0;
}

GLuint compile(GLenum type, const char* source) {
  const GLuint shader = gl.glCreateShader(type);
  gl.glShaderSource(shader, 1, &source, nullptr);
  gl.glCompileShader(shader);
  return built(shader, GL_COMPILE_STATUS, "shader", gl.glGetShaderiv, gl.glGetShaderInfoLog, gl.glDeleteShader);
}

bool wholePicture(const render::RgbaImage& img) {
  return img.width >= 1 && img.height >= 1 &&
         img.pixels.size() == static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height);
}

}  // namespace

GlScreen::~GlScreen() {
  if (!ready) return;
  gl.glDeleteProgram(crtProgram);
  gl.glDeleteProgram(sharpProgram);
  gl.glDeleteVertexArrays(1, &vao);
  if (texture != 0) gl.glDeleteTextures(1, &texture);
}

bool GlScreen::init(GlLookup lookup) {
  if (!loadFunctions(lookup ? lookup : sdlLookup)) return false;
  crtProgram = program(kCrtSource);
  sharpProgram = program(kSharpSource);
  if (crtProgram == 0 || sharpProgram == 0) {
    // Nothing of a half-built screen is left in the context.
    if (crtProgram != 0) gl.glDeleteProgram(crtProgram);
    if (sharpProgram != 0) gl.glDeleteProgram(sharpProgram);
    crtProgram = sharpProgram = 0;
    return false;
  }
  gl.glGenVertexArrays(1, &vao);
  gl.glGenTextures(1, &texture);
  ready = true;
  return true;
}

std::uint32_t GlScreen::program(const char* fragmentSource) {
  const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexSource);
  if (vertex == 0) return 0;
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
  if (fragment == 0) {
    gl.glDeleteShader(vertex);
    return 0;
  }
  const GLuint linked = gl.glCreateProgram();
  gl.glAttachShader(linked, vertex);
  gl.glAttachShader(linked, fragment);
  gl.glLinkProgram(linked);
  gl.glDeleteShader(vertex);
  gl.glDeleteShader(fragment);
  return built(linked, GL_LINK_STATUS, "program", gl.glGetProgramiv, gl.glGetProgramInfoLog, gl.glDeleteProgram);
}

void GlScreen::upload(const render::RgbaImage& img) {
  gl.glActiveTexture(GL_TEXTURE0);
  gl.glBindTexture(GL_TEXTURE_2D, texture);
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // 0xAARRGGBB pixels lie in memory as B, G, R, A bytes.
  if (img.width != texW || img.height != texH) {
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, img.width, img.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                    img.pixels.data());
    texW = img.width;
    texH = img.height;
  } else {
    gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, img.width, img.height, GL_BGRA, GL_UNSIGNED_BYTE,
                       img.pixels.data());
  }
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void GlScreen::draw(const render::RgbaImage& img, int outW, int outH, int x, int y, int w, int h, bool crt) {
  if (!ready || !wholePicture(img)) return;
  upload(img);

  gl.glDisable(GL_BLEND);
  gl.glViewport(0, 0, outW, outH);
  gl.glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  gl.glClear(GL_COLOR_BUFFER_BIT);
  gl.glViewport(x, y, w, h);

  const GLuint used = crt ? crtProgram : sharpProgram;
  gl.glUseProgram(used);
  gl.glUniform1i(gl.glGetUniformLocation(used, "Source"), 0);
  gl.glUniform4f(gl.glGetUniformLocation(used, "SourceSize"), static_cast<float>(img.width),
                 static_cast<float>(img.height), 1.0f / static_cast<float>(img.width),
                 1.0f / static_cast<float>(img.height));
  gl.glUniform4f(gl.glGetUniformLocation(used, "OutputSize"), static_cast<float>(w), static_cast<float>(h),
                 1.0f / static_cast<float>(w), 1.0f / static_cast<float>(h));
  if (crt) gl.glUniform1f(gl.glGetUniformLocation(used, "CURVE"), kCrtCurve);

  gl.glBindVertexArray(vao);
  gl.glDrawArrays(GL_TRIANGLES, 0, 3);
}

bool GlScreen::drawOffscreen(const render::RgbaImage& img, int w, int h, bool crt,
                             std::vector<std::uint32_t>& out) {
  if (!ready || w < 1 || h < 1 || !wholePicture(img)) return false;
  GLuint target = 0;
  gl.glGenTextures(1, &target);
  gl.glBindTexture(GL_TEXTURE_2D, target);
  gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  GLuint framebuffer = 0;
  gl.glGenFramebuffers(1, &framebuffer);
  gl.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);

  const bool complete = gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    draw(img, w, h, 0, 0, w, h, crt);
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint32_t> rows(count);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    // GL rows run bottom-up.
    out.resize(count);
    for (int row = 0; row < h; ++row) {
      const std::uint32_t* from = rows.data() + static_cast<std::size_t>(h - 1 - row) * w;
      std::uint32_t* to = out.data() + static_cast<std::size_t>(row) * w;
      for (int col = 0; col < w; ++col) to[col] = from[col] | 0xFF000000u;
    }
  }

  gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
  gl.glDeleteFramebuffers(1, &framebuffer);
  gl.glDeleteTextures(1, &target);
  return complete;
}

}  // namespace present
