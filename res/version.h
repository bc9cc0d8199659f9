#pragma once
// The program's name and version: the version resource and the report both
// take them from here.
#define GRI_PRODUCT_NAME "OpenGL Renderer infos"
#define GRI_VERSION_TEXT "1.0.0.11"
#define GRI_VERSION_NUMBERS 1, 0, 0, 11
