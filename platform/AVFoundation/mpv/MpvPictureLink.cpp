#include "platform/AVFoundation/mpv/MpvPictureLink.h"

#include "platform/Foundation/RunLoop.h"

std::shared_ptr<MpvPictureLink> MpvPictureLink::make() {
    std::shared_ptr<MpvPictureLink> link(new MpvPictureLink());
    link->self_ = link;
    return link;
}

void MpvPictureLink::requestRender() {
    if (scheduled_.exchange(true)) {
        return;
    }
    RunLoop::main().post([weakSelf = self_] {
        auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        self->scheduled_ = false;
        // A copy: the render may replace the link's own function (its renderer may go).
        if (auto render = self->render_) {
            render();
        }
    });
}
