#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/DomeCamera.h"
#include "tools/DomeDecoder.h"
#include "tools/DomeFrame.h"
#include "tools/FrameText.h"

std::string JsonEscape(std::string_view text);

using DomeTime = std::chrono::milliseconds;

// One line per event, without the line end. `remark` is what the camera
// said about the command (empty when nothing); `camera` is its state after.
std::string FrameLine(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark);
std::string FrameJson(DomeTime t, const DomeFrame& frame, const DomeCamera& camera,
                      const std::string& remark);
std::string GarbageLine(DomeTime t, const DomeEvent& event);
std::string GarbageJson(DomeTime t, const DomeEvent& event);
