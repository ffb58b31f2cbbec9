#pragma once
// The decoder module loaded at run time, with its eight entry points.

#include <string>

#include "decoder/epg_decoder_api.h"

class DecoderLibrary {
 public:
  DecoderLibrary() = default;
  ~DecoderLibrary();
  DecoderLibrary(const DecoderLibrary&) = delete;
  DecoderLibrary& operator=(const DecoderLibrary&) = delete;

  // False with a message in `error` when the file cannot be loaded or an
  // entry point is missing.
  bool Load(const std::string& path, std::string& error);

  InitializeEPFunc initialize = nullptr;
  UnInitializeEPFunc uninitialize = nullptr;
  AddTSPacketEPFunc add_packet = nullptr;
  ClearEPFunc clear = nullptr;
  SetPFOnlyEPFunc set_pf_only = nullptr;
  SetBasicModeEPFunc set_basic_mode = nullptr;
  GetServiceListDBEPFunc get_services = nullptr;
  GetEpgDataListDBEPFunc get_events = nullptr;

 private:
  void* handle_ = nullptr;
};
