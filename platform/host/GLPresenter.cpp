#include "platform/host/GLPresenter.h"

#include "platform/Foundation/Log.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <cstring>
#include <string>

// The OpenGL entry points used here, looked up through SDL so that the same code runs
// on GLX (Xvfb, the desktop) and on EGL (SDL's offscreen driver).
#define ORVEX_GL_FUNCTIONS(X)                                                                                \
    X(void, Viewport, GLint, GLint, GLsizei, GLsizei)                                                        \
    X(void, ClearColor, GLfloat, GLfloat, GLfloat, GLfloat)                                                  \
    X(void, Clear, GLbitfield)                                                                               \
    X(void, Enable, GLenum)                                                                                  \
    X(void, Disable, GLenum)                                                                                 \
    X(void, BlendFunc, GLenum, GLenum)                                                                       \
    X(void, GenTextures, GLsizei, GLuint*)                                                                   \
    X(void, DeleteTextures, GLsizei, const GLuint*)                                                          \
    X(void, BindTexture, GLenum, GLuint)                                                                     \
    X(void, ActiveTexture, GLenum)                                                                           \
    X(void, TexParameteri, GLenum, GLenum, GLint)                                                            \
    X(void, TexImage2D, GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)          \
    X(void, TexSubImage2D, GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*)       \
    X(void, PixelStorei, GLenum, GLint)                                                                      \
    X(void, ReadPixels, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*)                               \
    X(void, DrawArrays, GLenum, GLint, GLsizei)                                                              \
    X(GLuint, CreateShader, GLenum)                                                                          \
    X(void, ShaderSource, GLuint, GLsizei, const GLchar* const*, const GLint*)                               \
    X(void, CompileShader, GLuint)                                                                           \
    X(void, GetShaderiv, GLuint, GLenum, GLint*)                                                             \
    X(void, DeleteShader, GLuint)                                                                            \
    X(GLuint, CreateProgram)                                                                                 \
    X(void, AttachShader, GLuint, GLuint)                                                                    \
    X(void, BindAttribLocation, GLuint, GLuint, const GLchar*)                                               \
    X(void, LinkProgram, GLuint)                                                                             \
    X(void, GetProgramiv, GLuint, GLenum, GLint*)                                                            \
    X(void, UseProgram, GLuint)                                                                              \
    X(void, DeleteProgram, GLuint)                                                                           \
    X(GLint, GetUniformLocation, GLuint, const GLchar*)                                                      \
    X(void, Uniform1i, GLint, GLint)                                                                         \
    X(void, VertexAttribPointer, GLuint, GLint, GLenum, GLboolean, GLsizei, const void*)                     \
    X(void, EnableVertexAttribArray, GLuint)                                                                 \
    X(void, DisableVertexAttribArray, GLuint)                                                                \
    X(void, BindFramebuffer, GLenum, GLuint)

struct GLPresenter::Functions {
#define ORVEX_GL_DECLARE(result, name, ...) result(APIENTRY* name)(__VA_ARGS__) = nullptr;
    ORVEX_GL_FUNCTIONS(ORVEX_GL_DECLARE)
#undef ORVEX_GL_DECLARE

    bool load() {
        bool complete = true;
#define ORVEX_GL_LOAD(result, name, ...)                                                                     \
    name = reinterpret_cast<decltype(name)>(SDL_GL_GetProcAddress("gl" #name));                              \
    complete = complete && name != nullptr;
        ORVEX_GL_FUNCTIONS(ORVEX_GL_LOAD)
#undef ORVEX_GL_LOAD
        return complete;
    }
};

namespace {

const char* kVertexShader = R"(#version 120
attribute vec2 position;
attribute vec2 texcoord;
varying vec2 uv;
void main() {
    uv = texcoord;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

const char* kFragmentShader = R"(#version 120
uniform sampler2D screen;
varying vec2 uv;
void main() {
    gl_FragColor = texture2D(screen, uv);
}
)";

// A quad over the whole drawable (top left, top right, bottom left, bottom right); the
// image's first row is the top of the screen.
const GLfloat kPositions[] = {-1, 1, 1, 1, -1, -1, 1, -1};
const GLfloat kTexcoords[] = {0, 0, 1, 0, 0, 1, 1, 1};

} // namespace

GLPresenter::GLPresenter(int textureWidth, int textureHeight)
    : gl_(std::make_unique<Functions>()), textureWidth_(textureWidth), textureHeight_(textureHeight) {
    if (!gl_->load()) {
        consoleLog("[Host] The OpenGL context lacks functions the interface needs.");
        return;
    }
    auto compile = [&](GLenum kind, const char* source) {
        GLuint shader = gl_->CreateShader(kind);
        gl_->ShaderSource(shader, 1, &source, nullptr);
        gl_->CompileShader(shader);
        GLint compiled = 0;
        gl_->GetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        return compiled != 0 ? shader : 0u;
    };
    const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (vertex == 0 || fragment == 0) {
        consoleLog("[Host] The interface shaders did not compile.");
        return;
    }
    program_ = gl_->CreateProgram();
    gl_->AttachShader(program_, vertex);
    gl_->AttachShader(program_, fragment);
    gl_->BindAttribLocation(program_, 0, "position");
    gl_->BindAttribLocation(program_, 1, "texcoord");
    gl_->LinkProgram(program_);
    gl_->DeleteShader(vertex);
    gl_->DeleteShader(fragment);
    GLint linked = 0;
    gl_->GetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked == 0) {
        consoleLog("[Host] The interface shaders did not link.");
        return;
    }
    gl_->GenTextures(1, &texture_);
    gl_->BindTexture(GL_TEXTURE_2D, texture_);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl_->TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth_, textureHeight_, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                    nullptr);
    gl_->BindTexture(GL_TEXTURE_2D, 0);
    ready_ = true;
}

void GLPresenter::resize(int textureWidth, int textureHeight) {
    if (!ready_ || (textureWidth == textureWidth_ && textureHeight == textureHeight_)) {
        return;
    }
    textureWidth_ = textureWidth;
    textureHeight_ = textureHeight;
    gl_->BindTexture(GL_TEXTURE_2D, texture_);
    gl_->TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth_, textureHeight_, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                    nullptr);
    gl_->BindTexture(GL_TEXTURE_2D, 0);
}

GLPresenter::~GLPresenter() {
    if (texture_ != 0) {
        gl_->DeleteTextures(1, &texture_);
    }
    if (program_ != 0) {
        gl_->DeleteProgram(program_);
    }
}

void GLPresenter::upload(cairo_surface_t* image, const std::vector<cairo_rectangle_int_t>& rectangles) {
    if (!ready_ || rectangles.empty()) {
        return;
    }
    cairo_surface_flush(image);
    const unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    gl_->BindTexture(GL_TEXTURE_2D, texture_);
    // Cairo's ARGB32 is B, G, R, A in memory on little-endian machines: GL's BGRA.
    gl_->PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl_->PixelStorei(GL_UNPACK_ROW_LENGTH, stride / 4);
    for (const auto& rect : rectangles) {
        gl_->TexSubImage2D(GL_TEXTURE_2D, 0, rect.x, rect.y, rect.width, rect.height, GL_BGRA,
                           GL_UNSIGNED_BYTE, pixels + rect.y * stride + rect.x * 4);
    }
    gl_->PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl_->BindTexture(GL_TEXTURE_2D, 0);
}

void GLPresenter::draw(int drawableWidth, int drawableHeight,
                       const std::vector<CAExternalPicturePlacement>& pictures) {
    gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
    gl_->Viewport(0, 0, drawableWidth, drawableHeight);
    gl_->ClearColor(0, 0, 0, 1);
    gl_->Clear(GL_COLOR_BUFFER_BIT);
    if (!ready_) {
        return;
    }
    gl_->UseProgram(program_);
    gl_->ActiveTexture(GL_TEXTURE0);
    gl_->Uniform1i(gl_->GetUniformLocation(program_, "screen"), 0);
    // Pictures are opaque: each covers what lies beneath it.
    for (const auto& picture : pictures) {
        GLfloat positions[8];
        GLfloat texcoords[8];
        const CGRect& source = picture.source;
        for (int corner = 0; corner < 4; ++corner) {
            // The image's pixels to OpenGL's clip space, whose y axis points up.
            const CGPoint point = picture.corners[corner];
            positions[corner * 2] = static_cast<GLfloat>(point.x * 2 / textureWidth_ - 1);
            positions[corner * 2 + 1] = static_cast<GLfloat>(1 - point.y * 2 / textureHeight_);
            const bool right = corner % 2 == 1;
            const bool bottom = corner >= 2;
            texcoords[corner * 2] = static_cast<GLfloat>(right ? source.maxX() : source.minX());
            texcoords[corner * 2 + 1] = static_cast<GLfloat>(bottom ? source.maxY() : source.minY());
        }
        drawQuad(picture.texture, positions, texcoords);
    }
    // The interface is premultiplied: add it over the pictures by its coverage.
    gl_->Enable(GL_BLEND);
    gl_->BlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    drawQuad(texture_, kPositions, kTexcoords);
    gl_->Disable(GL_BLEND);
    gl_->UseProgram(0);
}

void GLPresenter::drawQuad(unsigned texture, const float* positions, const float* texcoords) {
    gl_->BindTexture(GL_TEXTURE_2D, texture);
    gl_->VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, positions);
    gl_->VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, texcoords);
    gl_->EnableVertexAttribArray(0);
    gl_->EnableVertexAttribArray(1);
    gl_->DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    // Arrays left enabled would point into memory gone by the time another renderer draws.
    gl_->DisableVertexAttribArray(0);
    gl_->DisableVertexAttribArray(1);
    gl_->BindTexture(GL_TEXTURE_2D, 0);
}

cairo_surface_t* GLPresenter::readFrame(int drawableWidth, int drawableHeight) {
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, drawableWidth, drawableHeight);
    cairo_surface_flush(frame);
    unsigned char* data = cairo_image_surface_get_data(frame);
    const int stride = cairo_image_surface_get_stride(frame);
    std::vector<unsigned char> rows(static_cast<size_t>(drawableWidth) * drawableHeight * 4);
    gl_->PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl_->ReadPixels(0, 0, drawableWidth, drawableHeight, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    // OpenGL's rows run bottom-up.
    for (int y = 0; y < drawableHeight; ++y) {
        std::memcpy(data + y * stride,
                    rows.data() + static_cast<size_t>(drawableHeight - 1 - y) * drawableWidth * 4,
                    static_cast<size_t>(drawableWidth) * 4);
    }
    cairo_surface_mark_dirty(frame);
    return frame;
}
