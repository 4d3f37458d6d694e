#include "ScreenCapture.h"

#include "Log.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace recorder {

ScreenCapture::~ScreenCapture() { avformat_close_input(&m_format); }

bool ScreenCapture::open(const Settings& settings)
{
    m_settings = settings;
    const AVInputFormat* x11grab = av_find_input_format("x11grab");
    if (!x11grab)
        return false;
    AVDictionary* options = nullptr;
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    av_dict_set(&options, "video_size", size.c_str(), 0);
    av_dict_set(&options, "framerate", std::to_string(settings.frameRate).c_str(), 0);
    av_dict_set_int(&options, "grab_x", settings.x, 0);
    av_dict_set_int(&options, "grab_y", settings.y, 0);
    av_dict_set_int(&options, "draw_mouse", settings.drawCursor ? 1 : 0, 0);
    const char* display = getenv("DISPLAY");
    const int opened = avformat_open_input(&m_format, display ? display : "", x11grab, &options);
    av_dict_free(&options);
    if (opened < 0) {
        char text[128];
        av_strerror(opened, text, sizeof text);
        Log("Screencast", 2, "x11grab %s at %d,%d cannot be opened: %s", size.c_str(), settings.x, settings.y, text);
        m_format = nullptr;
        return false;
    }
    return true;
}

bool ScreenCapture::read(AVPacket* packet, int* originX, int* originY)
{
    if (!m_format || av_read_frame(m_format, packet) < 0)
        return false;
    int64_t x = m_settings.x;
    int64_t y = m_settings.y;
    av_opt_get_int(m_format->priv_data, "grab_x", 0, &x);
    av_opt_get_int(m_format->priv_data, "grab_y", 0, &y);
    *originX = int(x);
    *originY = int(y);
    return true;
}

void ScreenCapture::moveTo(int x, int y, int screenWidth, int screenHeight)
{
    if (!m_format)
        return;
    x = std::clamp(x, 0, std::max(0, screenWidth - m_settings.width));
    y = std::clamp(y, 0, std::max(0, screenHeight - m_settings.height));
    av_opt_set_int(m_format->priv_data, "grab_x", x, 0);
    av_opt_set_int(m_format->priv_data, "grab_y", y, 0);
}

} // namespace recorder
