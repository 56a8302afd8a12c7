#pragma once
// Import or export of the window framework's classes and functions.
#ifdef QELFRAMEWORK_BUILD
#define QELFRAMEWORK_API __declspec(dllexport)
#else
#define QELFRAMEWORK_API __declspec(dllimport)
#endif

// Marks message handlers in class declarations, as hosts written for the classic framework expect.
#ifndef afx_msg
#define afx_msg
#endif
