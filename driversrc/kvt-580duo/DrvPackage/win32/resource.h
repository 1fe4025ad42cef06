// Resource numbers of UI580D.dll. Read by the resource compiler too, so
// plain macros only.
#pragma once

#define IDD_PAPER 116
#define IDD_DOCUMENT_SETTINGS 121
#define IDD_VERSION 133
