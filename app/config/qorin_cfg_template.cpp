#include "config/qorin_cfg_template.h"

namespace z2e {

const char* qorinCfgTemplate()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<zmpxi_api_config>
  <Definition>
    <!-- Help section: lists the values that the settings in Configuration accept. -->
    <!-- The driver does not evaluate this section. -->
    <Logger>
      <LogLevel>
        <ID0>LogDeveloperDebug</ID0>
        <ID1>LogFuncCalls</ID1>
        <ID2>LogCommand</ID2>
        <ID3>LogOnWarning</ID3>
        <ID4>LogOnError</ID4>
        <ID5>LogOff</ID5>
      </LogLevel>
      <LogType>
        <!-- Normal: asynchronous, with operating-system write caching. -->
        <ID0>Normal</ID0>
        <!-- FailSafe: synchronous, with write caching. -->
        <ID1>FailSafe</ID1>
        <!-- CrashSafe: synchronous, no caching, every write flushed. -->
        <ID2>CrashSafe</ID2>
      </LogType>
      <LogAppend>
        <ID0>Append</ID0>
        <ID1>Overwrite</ID1>
      </LogAppend>
    </Logger>
    <ParamUpdate>
      <ForceUpdateChannel>
        <ID0>False</ID0>
        <ID1>True</ID1>
      </ForceUpdateChannel>
      <ForceUpdateAcquisition>
        <ID0>False</ID0>
        <ID1>True</ID1>
      </ForceUpdateAcquisition>
    </ParamUpdate>
    <Misc>
      <CacheMergeResult>
        <!-- True (default): board data is pre-cached for a faster start-up. -->
        <ID0>True</ID0>
        <!-- False: no pre-caching. -->
        <ID1>False</ID1>
      </CacheMergeResult>
      <ResultType>
        <!-- Verbose (default): every result is logged, also OK. -->
        <ID0>Verbose</ID0>
        <!-- Terse: only errors and warnings are logged. -->
        <ID1>Terse</ID1>
      </ResultType>
    </Misc>
  </Definition>
  <Configuration>
    <Logger>
      <LogLevel>LogOnError</LogLevel>
      <LogType>Normal</LogType>
      <LogAppend>Append</LogAppend>
      <!-- LogFile: empty means a file with an automatic name in the all-users documents folder; a bare file name goes into that folder; a bare path gets an automatic file name; a full path and name is used unchanged. -->
      <LogFile>ZaMoQorin_Dev.Log</LogFile>
      <CmdLogFile>ZaMoQorin.log</CmdLogFile>
    </Logger>
    <ParamUpdate>
      <ForceUpdateChannel>False</ForceUpdateChannel>
      <ForceUpdateAcquisition>False</ForceUpdateAcquisition>
    </ParamUpdate>
    <Misc>
      <ResultType>Verbose</ResultType>
    </Misc>
    <Simulation>
      <!-- SimulationMode: SIMMODE_NORMAL simulates only when no physical boards are detected; SIMMODE_OFF never simulates; SIMMODE_FORCE always simulates. -->
      <SimulationMode>SIMMODE_NORMAL</SimulationMode>
      <!-- Enabled: older switch (true, false, force), kept for compatibility; SimulationMode takes precedence. -->
      <Enabled>true</Enabled>
      <SimulatedEnclosures>
        <!-- Simulated enclosures: one ID entry per enclosure, in system order. -->
      </SimulatedEnclosures>
      <SimulatedBoards>
        <!-- AIScale: peak of simulated analog input signals in percent of full scale. -->
        <!-- Simulated boards are added to the system in the order of their definition (by ID). -->
        <!-- When simulated boards are used, physical boards are not. -->
        <AIScale>80</AIScale>
      </SimulatedBoards>
    </Simulation>
  </Configuration>
</zmpxi_api_config>
)";
}

} // namespace z2e
