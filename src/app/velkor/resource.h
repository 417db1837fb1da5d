#pragma once
// Resource numbers of velkor.exe: the window's own and those of its pages.

#include "ui/resources/ui_resource_ids.h"
