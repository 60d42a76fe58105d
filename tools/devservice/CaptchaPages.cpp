#include "tools/devservice/CaptchaPages.h"

#include "tools/devservice/DnsAnswer.h"

#include <algorithm>
#include <cctype>

namespace devservice {

std::string hostOfHostField(std::string_view field) {
    std::string host(field.substr(0, field.starts_with('[') ? field.find(']') + 1 : field.rfind(':')));
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

std::string captchaPage(const std::string& widgetOrigin) {
    // The page only hosts the widget: without it nothing on the page can be solved.
    return R"(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1">
<title>安全验证</title>
<style>
html, body { margin: 0; height: 100%; overflow: hidden; user-select: none; -webkit-user-select: none; }
body { font-family: sans-serif; text-align: center; background: #ffffff; color: #28272C; }
h1 { font-size: 18px; margin: 40px 0 10px; }
p { font-size: 14px; color: #8F8E93; margin: 0 0 28px; }
#close { position: absolute; top: 10px; right: 12px; border: 0; background: none; color: #8F8E93; font-size: 14px; }
</style>
</head>
<body>
<button id="close" type="button">关闭</button>
<h1>安全验证</h1>
<p>向右拖动滑块完成验证</p>
<div id="captcha"></div>
<script>
document.getElementById("close").onclick = function () { window.close(); };
</script>
<script src=")" +
           widgetOrigin + R"(/widget/slider.js"></script>
<script>
(function () {
  var place = document.getElementById("captcha");
  if (!window.OrvexCaptcha) {
    place.textContent = "验证组件加载失败";
    return;
  }
  window.OrvexCaptcha.mount(place, function (answer) {
    if (window.dsBridge) {
      window.dsBridge.call("jsIOS", JSON.stringify(answer));
    }
  });
})();
</script>
</body>
</html>
)";
}

std::string captchaWidgetScript() {
    return R"JS((function () {
  var verifyAddress = new URL("verify", document.currentScript.src).href;
  var style = "#orvex-track { position: relative; margin: 0 auto; width: 260px; height: 44px; border-radius: 22px; background: #EDEDF0; }" +
    "#orvex-fill { position: absolute; left: 0; top: 0; height: 44px; width: 44px; border-radius: 22px; background: #F3C5C5; }" +
    "#orvex-knob { position: absolute; left: 0; top: 0; width: 44px; height: 44px; border-radius: 22px; background: #D73F3F;" +
    " color: #ffffff; font-size: 20px; line-height: 44px; cursor: pointer; }" +
    "#orvex-hint { position: absolute; left: 0; right: 0; top: 0; line-height: 44px; font-size: 14px; color: #8F8E93; pointer-events: none; }" +
    "#orvex-track.done #orvex-fill { background: #7CC487; width: 260px; }" +
    "#orvex-track.done #orvex-knob { background: #3FA34D; }";

  function mount(place, answered) {
    var sheet = document.createElement("style");
    sheet.textContent = style;
    document.head.appendChild(sheet);
    place.innerHTML = '<div id="orvex-track"><div id="orvex-fill"></div>' +
      '<div id="orvex-hint">拖动到最右边</div><div id="orvex-knob">&#8594;</div></div>';
    var track = document.getElementById("orvex-track"), knob = document.getElementById("orvex-knob");
    var fill = document.getElementById("orvex-fill"), hint = document.getElementById("orvex-hint");
    var end = track.offsetWidth - knob.offsetWidth, start = null, left = 0, busy = false;
    function put(x) {
      left = Math.max(0, Math.min(end, x));
      knob.style.left = left + "px";
      fill.style.width = (left + knob.offsetWidth) + "px";
    }
    function finish() {
      busy = true;
      hint.textContent = "验证中";
      fetch(verifyAddress, { method: "POST", credentials: "omit" }).then(function (reply) {
        if (!reply.ok) { throw new Error("refused"); }
        return reply.json();
      }).then(function (answer) {
        track.className = "done";
        hint.textContent = "验证通过";
        answered(answer);
      }).catch(function () {
        busy = false;
        hint.textContent = "验证失败，请重试";
        put(0);
      });
    }
    knob.addEventListener("mousedown", function (event) {
      if (!busy) { start = event.clientX - left; event.preventDefault(); }
    });
    document.addEventListener("mousemove", function (event) {
      if (start !== null) { put(event.clientX - start); }
    });
    document.addEventListener("mouseup", function () {
      if (start === null) { return; }
      start = null;
      if (left >= end - 4) { put(end); finish(); } else { put(0); }
    });
  }

  window.OrvexCaptcha = { mount: mount };
})();
)JS";
}

bool mayUseCaptcha(const std::string& origin) {
    const std::string prefix = "https://";
    const std::string host = origin.starts_with(prefix) ? hostOfHostField(origin.substr(prefix.size())) : "";
    const std::string zone = "." + std::string(kServiceZone);
    return host.size() > zone.size() && host.ends_with(zone) && host != kCaptchaHost;
}

std::string ticketAnswer(const CaptchaTicket& ticket) {
    return R"({"ret":0,"ticket":")" + ticket.ticket + R"(","randstr":")" + ticket.randstr + R"("})";
}

} // namespace devservice
