// Umbrella of the platform layer: one include gives its whole interface.
#pragma once

#include <platform/PlatformClock.h>
#include <platform/PlatformCursor.h>
#include <platform/PlatformGL.h>
#include <platform/PlatformKeys.h>
#include <platform/PlatformMessage.h>
#include <platform/PlatformTimer.h>
#include <platform/PlatformWindow.h>
