#include "platform/AVFoundation/mpv/MpvGLRenderer.h"

#include <mpv/render_gl.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// Pictures are drawn no larger than this; the host scales them.
constexpr int maximumFrameWidth = 1920;
constexpr int maximumFrameHeight = 1080;
// The side of the scratch picture taken while the real size is not yet known.
constexpr int provisionalSide = 16;
// Textures kept for reuse.
constexpr std::size_t targetCapacity = 4;

} // namespace

// The OpenGL entry points used here, looked up in the lent context.
#define ORVEX_MPV_GL_FUNCTIONS(X)                                                                            \
    X(void, GenTextures, GLsizei, GLuint*)                                                                   \
    X(void, DeleteTextures, GLsizei, const GLuint*)                                                          \
    X(void, BindTexture, GLenum, GLuint)                                                                     \
    X(void, TexParameteri, GLenum, GLenum, GLint)                                                            \
    X(void, TexImage2D, GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)          \
    X(void, GenFramebuffers, GLsizei, GLuint*)                                                               \
    X(void, DeleteFramebuffers, GLsizei, const GLuint*)                                                      \
    X(void, BindFramebuffer, GLenum, GLuint)                                                                 \
    X(void, FramebufferTexture2D, GLenum, GLenum, GLenum, GLuint, GLint)                                     \
    X(GLenum, CheckFramebufferStatus, GLenum)

struct MpvGLRenderer::Functions {
#define ORVEX_MPV_GL_DECLARE(result, name, ...) result(GLAPIENTRY* name)(__VA_ARGS__) = nullptr;
    ORVEX_MPV_GL_FUNCTIONS(ORVEX_MPV_GL_DECLARE)
#undef ORVEX_MPV_GL_DECLARE

    bool load(const VideoGLContext& context) {
        bool complete = true;
#define ORVEX_MPV_GL_LOAD(result, name, ...)                                                                 \
    name = reinterpret_cast<decltype(name)>(context.functionAddress("gl" #name));                            \
    complete = complete && name != nullptr;
        ORVEX_MPV_GL_FUNCTIONS(ORVEX_MPV_GL_LOAD)
#undef ORVEX_MPV_GL_LOAD
        return complete;
    }
};

std::unique_ptr<MpvGLRenderer> MpvGLRenderer::make(mpv_handle* handle,
                                                   std::shared_ptr<VideoGLContext> context,
                                                   std::shared_ptr<MpvPictureLink> link, FrameHandler frames,
                                                   std::function<void()> withdrawn) {
    if (handle == nullptr || !context || !context->isAlive()) {
        return nullptr;
    }
    std::unique_ptr<MpvGLRenderer> renderer(new MpvGLRenderer(context, std::move(link), std::move(frames)));
    if (!renderer->gl_->load(*context)) {
        return nullptr;
    }
    // The engine's session holds the library already: this shares it.
    std::string error;
    renderer->mpv_ = MpvLibrary::acquire(error);
    if (!renderer->mpv_) {
        return nullptr;
    }
    mpv_opengl_init_params init{};
    init.get_proc_address = [](void* lent, const char* name) {
        return static_cast<VideoGLContext*>(lent)->functionAddress(name);
    };
    init.get_proc_address_ctx = context.get();
    char openGL[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_API_TYPE, openGL},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (renderer->mpv_->render_context_create(&renderer->renderer_, handle, parameters) < 0) {
        renderer->renderer_ = nullptr;
        return nullptr;
    }
    // The link outlives mpv's renderer (the renderer holds it until it frees mpv's).
    renderer->mpv_->render_context_set_update_callback(
        renderer->renderer_, [](void* link) { static_cast<MpvPictureLink*>(link)->requestRender(); },
        renderer->link_.get());
    MpvGLRenderer* self = renderer.get();
    renderer->link_->setRender([self] { self->render(); });
    renderer->withdrawal_ = context->onWithdrawal([self, withdrawn = std::move(withdrawn)] {
        self->release();
        if (withdrawn) {
            withdrawn();
        }
    });
    return renderer;
}

MpvGLRenderer::MpvGLRenderer(std::shared_ptr<VideoGLContext> context, std::shared_ptr<MpvPictureLink> link,
                             FrameHandler frames)
    : context_(std::move(context)), link_(std::move(link)), frames_(std::move(frames)),
      gl_(std::make_shared<Functions>()) {}

MpvGLRenderer::~MpvGLRenderer() {
    release();
}

void MpvGLRenderer::release() {
    if (renderer_ == nullptr) {
        return;
    }
    link_->setRender(nullptr);
    mpv_->render_context_free(renderer_);
    renderer_ = nullptr;
    // Frames still shown elsewhere keep their textures until they go.
    targets_.clear();
    withdrawal_.reset();
}

void MpvGLRenderer::render() {
    if (renderer_ == nullptr) {
        return;
    }
    if ((mpv_->render_context_update(renderer_) & MPV_RENDER_UPDATE_FRAME) != 0) {
        framePending_ = true;
    }
    const int videoWidth = link_->width;
    const int videoHeight = link_->height;
    const bool sizeKnown = videoWidth > 0 && videoHeight > 0;
    if (!framePending_ && !(redrawPending_ && sizeKnown)) {
        return;
    }
    if (!sizeKnown) {
        // The picture's size is reported by mpv's core, which may be waiting for this very
        // picture to be taken: take it into a scratch texture now and draw it again once
        // the size is known.
        if (const Target scratch = target(provisionalSide, provisionalSide); scratch.frame && draw(scratch)) {
            framePending_ = false;
            redrawPending_ = true;
        }
        return;
    }
    const double scale = std::min({1.0, static_cast<double>(maximumFrameWidth) / videoWidth,
                                   static_cast<double>(maximumFrameHeight) / videoHeight});
    const int width = std::max(1, static_cast<int>(std::lround(videoWidth * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(videoHeight * scale)));
    const Target drawn = target(width, height);
    if (!drawn.frame || !draw(drawn)) {
        return;
    }
    framePending_ = false;
    redrawPending_ = false;
    if (const std::uint64_t generation = link_->generation; generation != 0) {
        // The last use of this object: whoever hears of the frame may destroy it.
        frames_(generation, drawn.frame);
    }
}

MpvGLRenderer::Target MpvGLRenderer::target(int width, int height) {
    for (const auto& known : targets_) {
        if (known.frame.use_count() == 1 && known.frame->width() == width &&
            known.frame->height() == height) {
            return known;
        }
    }
    GLuint texture = 0;
    GLuint framebuffer = 0;
    gl_->GenTextures(1, &texture);
    gl_->BindTexture(GL_TEXTURE_2D, texture);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl_->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl_->TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    gl_->BindTexture(GL_TEXTURE_2D, 0);
    gl_->GenFramebuffers(1, &framebuffer);
    gl_->BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl_->FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const bool complete = gl_->CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
    // The texture goes with the last holder of its frame (unless the context went first).
    auto deleteTexture = [gl = gl_, texture, framebuffer] {
        gl->DeleteFramebuffers(1, &framebuffer);
        gl->DeleteTextures(1, &texture);
    };
    if (!complete) {
        deleteTexture();
        return {};
    }
    Target made{VideoFrame::makeTexture(width, height, texture, context_, std::move(deleteTexture)),
                framebuffer};
    // Targets of another size, or too many, make room for the new one.
    std::erase_if(targets_, [&](const Target& known) {
        return known.frame.use_count() == 1 &&
               (known.frame->width() != width || known.frame->height() != height);
    });
    if (targets_.size() < targetCapacity) {
        targets_.push_back(made);
    }
    return made;
}

// Never waits for a picture's display time: this is the main thread, and mpv's video
// output hands pictures over when they are due.
bool MpvGLRenderer::draw(const Target& target) {
    mpv_opengl_fbo framebuffer{static_cast<int>(target.framebuffer), target.frame->width(),
                               target.frame->height(), 0};
    int flip = 0;
    int block = 0;
    mpv_render_param parameters[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &framebuffer},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_->render_context_render(renderer_, parameters) >= 0;
}
