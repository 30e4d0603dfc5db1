// The three forms in which the open hypertext can be exported.
#pragma once

enum class ExportMode { Text, Stg, Html };
