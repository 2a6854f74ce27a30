#pragma once
// placeholder: the WAV writer (ConvertFile)
