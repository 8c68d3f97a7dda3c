/* Precompiled header of the Qt backend: the Qt headers dominate compile time. */
#pragma once

#include <QtWidgets>
