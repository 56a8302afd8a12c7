#pragma once
// Import or export of the capture library's classes.
#ifdef QELPICTAVO_BUILD
#define QELPICTAVO_API __declspec(dllexport)
#else
#define QELPICTAVO_API __declspec(dllimport)
#endif
