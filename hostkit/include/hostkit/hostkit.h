// The whole public interface of the host kit.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostTypes.h>

#include <hostkit/HostMath.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>
#include <hostkit/HostVariables.h>

#include <hostkit/HostDicom.h>
#include <hostkit/HostDraw.h>
#include <hostkit/HostImage.h>
#include <hostkit/HostMovie.h>
#include <hostkit/HostPicture.h>
#include <hostkit/HostPng.h>
#include <hostkit/HostLabelVolume.h>
#include <hostkit/HostProgress.h>
#include <hostkit/HostRecord1D.h>
#include <hostkit/HostRecords.h>
#include <hostkit/HostWidgets.h>
