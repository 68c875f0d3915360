#include "ProgramPage.h"

namespace hp::cg::http {

QByteArray programPage()
{
    return QByteArrayLiteral(R"html(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>homeplate-cg program</title>
<style>
  html, body { margin: 0; padding: 0; width: 100%; height: 100%; overflow: hidden;
               background: transparent; }
  #raster { position: absolute; left: 50%; top: 50%; transform-origin: 0 0; }
  #raster img { position: absolute; left: 0; top: 0; width: 100%; height: 100%;
                opacity: 0; transition-property: opacity; transition-timing-function: linear; }
</style>
</head>
<body>
<div id="raster"></div>
<script>
"use strict";
(function () {
  const raster = document.getElementById("raster");
  const layers = new Map();
  let size = { width: 720, height: 486, aspect: 4 / 3 };
  // Frames painted after a message, for the latency figures: server time
  // of the message and the page's time of the next frame.
  window.hpLatency = [];

  function fit() {
    const w = window.innerWidth, h = window.innerHeight;
    const scale = Math.min(w / size.width, h / size.height);
    raster.style.width = size.width + "px";
    raster.style.height = size.height + "px";
    raster.style.transform = "scale(" + scale + ") translate(-50%, -50%)";
  }
  window.addEventListener("resize", fit);

  function layerImage(n) {
    let img = layers.get(n);
    if (!img) {
      img = document.createElement("img");
      img.style.zIndex = String(n);
      raster.appendChild(img);
      layers.set(n, img);
    }
    return img;
  }

  function show(m) {
    const img = layerImage(m.layer);
    const ms = m.effect === "fade" ? m.fadeMs : 0;
    img.style.transitionDuration = ms + "ms";
    if (m.png) {
      img.src = "data:image/png;base64," + m.png;
      if (ms > 0 && img.style.opacity === "1") {
        img.style.transitionDuration = "0ms";
      }
      if (ms > 0 && img.style.opacity !== "1") {
        img.style.opacity = "0";
        void img.offsetWidth;
      }
      img.style.opacity = "1";
    } else {
      img.style.opacity = "0";
      if (ms === 0) img.removeAttribute("src");
    }
  }

  function connect() {
    const scheme = location.protocol === "https:" ? "wss://" : "ws://";
    const socket = new WebSocket(scheme + location.host + "/program/socket" + location.search);
    socket.onmessage = function (event) {
      const m = JSON.parse(event.data);
      if (m.size) {
        size = m.size;
        fit();
      }
      if (m.reset) {
        for (const img of layers.values()) img.remove();
        layers.clear();
      }
      for (const layer of m.layers || []) show(layer);
      if (m.serverTime) {
        requestAnimationFrame(function () {
          window.hpLatency.push({ server: m.serverTime, painted: Date.now() });
          if (window.hpLatency.length > 1000) window.hpLatency.shift();
        });
      }
    };
    socket.onclose = function () { setTimeout(connect, 1000); };
  }
  fit();
  connect();
})();
</script>
</body>
</html>
)html");
}

} // namespace hp::cg::http
