<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>BasicConfigControls</name>
    <message>
        <source>Signal type:</source>
        <translation>Signal type:</translation>
    </message>
    <message>
        <source>Signal unit:</source>
        <translation>Signal unit:</translation>
    </message>
    <message>
        <source>Output type:</source>
        <translation>Output type:</translation>
    </message>
    <message>
        <source>Point position:</source>
        <translation>Point position:</translation>
    </message>
    <message>
        <source>K1 switch type:</source>
        <translation>K1 switch type:</translation>
    </message>
    <message>
        <source>K2 switch type:</source>
        <translation>K2 switch type:</translation>
    </message>
    <message>
        <source>The output voltage:</source>
        <translation>Voltage output:</translation>
    </message>
    <message>
        <source>The current output:</source>
        <translation>Current output:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Sea&amp;rch</translation>
    </message>
    <message>
        <source>Batch download</source>
        <translation>Batch &amp;download</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>C&amp;onfiguration</translation>
    </message>
    <message>
        <source>Save configuration file</source>
        <translation>Sa&amp;ve configuration file</translation>
    </message>
    <message>
        <source>Equipment options</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>%1-%2 select</source>
        <translation>Select %1-%2</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Selec&amp;t all</translation>
    </message>
    <message>
        <source>Empty</source>
        <translation>C&amp;lear</translation>
    </message>
</context>
<context>
    <name>BusFrameModel</name>
    <message>
        <source>answer</source>
        <translation>answer</translation>
    </message>
    <message>
        <source>time-out</source>
        <translation>time-out</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>foreign frame skipped</source>
        <translation>foreign frame skipped</translation>
    </message>
    <message>
        <source>late bytes discarded</source>
        <translation>late bytes discarded</translation>
    </message>
    <message>
        <source>no answer read</source>
        <translation>no answer read</translation>
    </message>
    <message>
        <source>line failed</source>
        <translation>line failed</translation>
    </message>
    <message>
        <source>good</source>
        <translation>good</translation>
    </message>
    <message>
        <source>bad</source>
        <translation>bad</translation>
    </message>
    <message>
        <source>Time (ms)</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>CRC</source>
        <translation>CRC</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Latency (ms)</source>
        <translation>Latency (ms)</translation>
    </message>
</context>
<context>
    <name>BusMonitorWindow</name>
    <message>
        <source>Bus monitor</source>
        <translation>Bus monitor</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>Reset figures</source>
        <translation>Reset figures</translation>
    </message>
    <message>
        <source>Figures per address</source>
        <translation>Figures per address</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Requests</source>
        <translation>Requests</translation>
    </message>
    <message>
        <source>Answers</source>
        <translation>Answers</translation>
    </message>
    <message>
        <source>Time-outs</source>
        <translation>Time-outs</translation>
    </message>
    <message>
        <source>CRC errors</source>
        <translation>CRC errors</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>Foreign frames</source>
        <translation>Foreign frames</translation>
    </message>
    <message>
        <source>Min (ms)</source>
        <translation>Min (ms)</translation>
    </message>
    <message>
        <source>Mean (ms)</source>
        <translation>Mean (ms)</translation>
    </message>
    <message>
        <source>Max (ms)</source>
        <translation>Max (ms)</translation>
    </message>
    <message>
        <source>Figures since they were reset</source>
        <translation>Figures since they were reset</translation>
    </message>
    <message>
        <source>Figures since the port was opened</source>
        <translation>Figures since the port was opened</translation>
    </message>
    <message numerus="yes">
        <source>%n frames</source>
        <translation>
            <numerusform>%n frame</numerusform>
            <numerusform>%n frames</numerusform>
        </translation>
    </message>
    <message>
        <source>, %1 not shown</source>
        <translation>, %1 not shown</translation>
    </message>
    <message>
        <source> (paused)</source>
        <translation> (paused)</translation>
    </message>
    <message>
        <source>Save bus traffic</source>
        <translation>Save bus traffic</translation>
    </message>
    <message>
        <source>Text Files(*.txt);;All Files(*.*)</source>
        <translation>Text files (*.txt);;All files (*.*)</translation>
    </message>
    <message>
        <source>Bus traffic not saved: %1 (%2)</source>
        <translation>Bus traffic not saved: %1 (%2)</translation>
    </message>
    <message>
        <source>Bus traffic saved: %1</source>
        <translation>Bus traffic saved: %1</translation>
    </message>
    <message>
        <source>good</source>
        <translation>good</translation>
    </message>
    <message>
        <source>foreign frame skipped</source>
        <translation>foreign frame skipped</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Korvelantis</source>
        <translation>About Korvelantis</translation>
    </message>
    <message>
        <source>Configures, calibrates and logs switch-transmitters on RS-485.</source>
        <translation>Configures, calibrates and logs switch-transmitters on RS-485.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CBasicConfigPage</name>
    <message>
        <source>Text Files(*.txt);;ALL Files(*.*)</source>
        <translation>Text files (*.txt);;All files (*.*)</translation>
    </message>
    <message>
        <source>The basic configuration</source>
        <translation>Basic configuration</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
</context>
<context>
    <name>CCalibrationPage</name>
    <message>
        <source>Calibration</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>标定点数：</source>
        <translation>Calibration points:</translation>
    </message>
    <message>
        <source>采集</source>
        <translation>Acquire</translation>
    </message>
    <message>
        <source>point %1</source>
        <translation>point %1</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>Calibration table</source>
        <translation>Calibration table</translation>
    </message>
    <message>
        <source>计算K和B值并下载</source>
        <translation>Compute &amp;K and B and download</translation>
    </message>
    <message>
        <source>保存标定报告</source>
        <translation>Save calibration &amp;report</translation>
    </message>
    <message>
        <source>Acquisition results</source>
        <translation>Acquisition results</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
</context>
<context>
    <name>CCurveCtrl</name>
    <message>
        <source>Record curve</source>
        <translation>Record curve</translation>
    </message>
</context>
<context>
    <name>CCurvePage</name>
    <message>
        <source>Hour</source>
        <translation>Hour</translation>
    </message>
    <message>
        <source>Save curve image...</source>
        <translation>Save curve &amp;image...</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>小时</source>
        <translation>Hour</translation>
    </message>
    <message>
        <source>Save curve image</source>
        <translation>Save curve image</translation>
    </message>
    <message>
        <source>PNG Files (*.png);;All Files (*)</source>
        <translation>PNG files (*.png);;All files (*)</translation>
    </message>
</context>
<context>
    <name>CDataGatherDlg</name>
    <message>
        <source>Acquisition</source>
        <translation>Acquisition</translation>
    </message>
    <message>
        <source>Data Collection</source>
        <translation>Data collection</translation>
    </message>
    <message>
        <source>Acquisition mode</source>
        <translation>Acquisition mode</translation>
    </message>
    <message>
        <source>Reservation mode</source>
        <translation>Scheduled</translation>
    </message>
    <message>
        <source>Immediate Mode</source>
        <translation>Immediate</translation>
    </message>
    <message>
        <source>Time interval:</source>
        <translation>Interval:</translation>
    </message>
    <message>
        <source>Start time:</source>
        <translation>Start time:</translation>
    </message>
    <message>
        <source>End time:</source>
        <translation>End time:</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>min</translation>
    </message>
    <message>
        <source>Note:</source>
        <translation>Total:</translation>
    </message>
    <message>
        <source>(Article) recording</source>
        <translation>records</translation>
    </message>
    <message>
        <source>Continued time:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>h</translation>
    </message>
    <message>
        <source>Record files: %1</source>
        <translation>Record files: %1</translation>
    </message>
    <message>
        <source>Show in table and curve</source>
        <translation>Show in table and c&amp;urve</translation>
    </message>
    <message>
        <source>Record data</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>Record curve</source>
        <translation>Record curve</translation>
    </message>
    <message>
        <source>Record file: %1</source>
        <translation>Record file: %1</translation>
    </message>
    <message>
        <source>Import data file</source>
        <translation>Import data file</translation>
    </message>
    <message>
        <source>Rec Files (*.rec);;All Files (*)</source>
        <translation>Record files (*.rec);;All files (*)</translation>
    </message>
</context>
<context>
    <name>CFitQualityTable</name>
    <message>
        <source>Fit quality</source>
        <translation>Fit quality</translation>
    </message>
    <message>
        <source>拟合残差</source>
        <translation>Fit residuals</translation>
    </message>
    <message>
        <source>第%1点残差</source>
        <translation>Point %1 residual</translation>
    </message>
    <message>
        <source>最大残差</source>
        <translation>Max residual</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>第%1点校验误差</source>
        <translation>Point %1 verify</translation>
    </message>
    <message>
        <source>校验误差</source>
        <translation>Verify error</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Within</translation>
    </message>
    <message>
        <source>超差</source>
        <translation>Out of tolerance</translation>
    </message>
    <message>
        <source>缺采集值</source>
        <translation>Reading missing</translation>
    </message>
    <message>
        <source>采集值相同</source>
        <translation>Readings equal</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>No answer</translation>
    </message>
</context>
<context>
    <name>CLiveValuesPage</name>
    <message>
        <source>Empty: no MQTT</source>
        <translation>Empty: no MQTT</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Sta&amp;rt</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>St&amp;op</translation>
    </message>
    <message>
        <source>Live values</source>
        <translation>Live values</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Age (s)</source>
        <translation>Age (s)</translation>
    </message>
    <message>
        <source>State</source>
        <translation>State</translation>
    </message>
    <message>
        <source>&amp;Interval (s):</source>
        <translation>&amp;Interval (s):</translation>
    </message>
    <message>
        <source>&amp;MQTT host:</source>
        <translation>&amp;MQTT host:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Topic prefix:</source>
        <translation>&amp;Topic prefix:</translation>
    </message>
    <message>
        <source>online</source>
        <translation>online</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>offline</translation>
    </message>
</context>
<context>
    <name>CLoginDlg</name>
    <message>
        <source>The enterprise user login</source>
        <translation>Enterprise login</translation>
    </message>
    <message>
        <source>Login password：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>5 minutes</source>
        <translation>5 minutes</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10 minutes</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minutes</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 hour</translation>
    </message>
    <message>
        <source>2 hour</source>
        <translation>2 hours</translation>
    </message>
    <message>
        <source>5 hour</source>
        <translation>5 hours</translation>
    </message>
    <message>
        <source>10 hour</source>
        <translation>10 hours</translation>
    </message>
    <message>
        <source>20 hour</source>
        <translation>20 hours</translation>
    </message>
    <message>
        <source>1/4 range</source>
        <translation>1/4 range</translation>
    </message>
    <message>
        <source>1/3 range</source>
        <translation>1/3 range</translation>
    </message>
    <message>
        <source>1/2 range</source>
        <translation>1/2 range</translation>
    </message>
    <message>
        <source>Full scale</source>
        <translation>Full scale</translation>
    </message>
    <message>
        <source>Full scale+</source>
        <translation>Full scale+</translation>
    </message>
    <message>
        <source>File(&amp;F)</source>
        <translation>File(&amp;F)</translation>
    </message>
    <message>
        <source>Import basic parameters (&amp;P)...	Ctrl+P</source>
        <translation>Import basic parameters(&amp;P)...	Ctrl+P</translation>
    </message>
    <message>
        <source>Import data(&amp;D)...	Ctrl+D</source>
        <translation>Import data(&amp;D)...	Ctrl+D</translation>
    </message>
    <message>
        <source>Exit(&amp;X)</source>
        <translation>Exit(&amp;X)</translation>
    </message>
    <message>
        <source>Serial port(&amp;S)</source>
        <translation>Serial port(&amp;S)</translation>
    </message>
    <message>
        <source>Serial port configuration(&amp;C)</source>
        <translation>Serial port settings(&amp;C)...</translation>
    </message>
    <message>
        <source>Open Serial port (&amp;O)</source>
        <translation>Open serial port(&amp;O)</translation>
    </message>
    <message>
        <source>Close Serial port (&amp;B)</source>
        <translation>Close serial port(&amp;B)</translation>
    </message>
    <message>
        <source>Bus monitor(&amp;M)...</source>
        <translation>Bus monitor(&amp;M)...</translation>
    </message>
    <message>
        <source>Image adjustment(&amp;A)</source>
        <translation>Curve(&amp;A)</translation>
    </message>
    <message>
        <source>Time division</source>
        <translation>Time division</translation>
    </message>
    <message>
        <source>The output index</source>
        <translation>Output range</translation>
    </message>
    <message>
        <source>Help(&amp;H)</source>
        <translation>Help(&amp;H)</translation>
    </message>
    <message>
        <source>About Korvelantis(&amp;A)...</source>
        <translation>About Korvelantis(&amp;A)...</translation>
    </message>
    <message>
        <source>Enterprise user login(&amp;L)</source>
        <translation>Enterprise login(&amp;L)...</translation>
    </message>
    <message>
        <source>载入温度预设(&amp;T)</source>
        <translation>Load temperature preset(&amp;T)</translation>
    </message>
    <message>
        <source>载入液位预设(&amp;L)</source>
        <translation>Load level preset(&amp;L)</translation>
    </message>
    <message>
        <source>导入基本参数(&amp;P)...	Ctrl+P</source>
        <translation>Import basic parameters (&amp;P)...	Ctrl+P</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>大写</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>滚动</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>Search progress</source>
        <translation>Search progress</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>Simulated devices %1</source>
        <translation>Simulated devices %1</translation>
    </message>
    <message>
        <source>open</source>
        <translation>open</translation>
    </message>
    <message>
        <source>hung up</source>
        <translation>hung up</translation>
    </message>
    <message>
        <source>closed</source>
        <translation>closed</translation>
    </message>
    <message>
        <source>%1  %2  %3</source>
        <translation>%1  %2  %3</translation>
    </message>
    <message>
        <source>Applied pressure:</source>
        <translation>Applied pressure:</translation>
    </message>
    <message>
        <source>Applied pressure</source>
        <translation>Applied pressure</translation>
    </message>
</context>
<context>
    <name>COnlinePanel</name>
    <message>
        <source>显示在线设备</source>
        <translation>Online devices</translation>
    </message>
    <message>
        <source>注：红色表示仪表不在线，绿色表示在线</source>
        <translation>Note: red means the device is offline, green online</translation>
    </message>
    <message>
        <source>online</source>
        <translation>online</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>offline</translation>
    </message>
    <message>
        <source>since the figures were reset</source>
        <translation>since the figures were reset</translation>
    </message>
    <message>
        <source>since the port was opened</source>
        <translation>since the port was opened</translation>
    </message>
    <message>
        <source>Address %1: no requests %2.</source>
        <translation>Address %1: no requests %2.</translation>
    </message>
    <message>
        <source>Address %1, %2:</source>
        <translation>Address %1, %2:</translation>
    </message>
    <message>
        <source>requests %1, answers %2, time-outs %3</source>
        <translation>requests %1, answers %2, time-outs %3</translation>
    </message>
    <message>
        <source>CRC errors %1, refused %2, foreign frames %3</source>
        <translation>CRC errors %1, refused %2, foreign frames %3</translation>
    </message>
    <message>
        <source>latency min %1 / mean %2 / max %3 ms</source>
        <translation>latency min %1 / mean %2 / max %3 ms</translation>
    </message>
    <message>
        <source>Latest value: %1 %2</source>
        <translation>Latest value: %1 %2</translation>
    </message>
</context>
<context>
    <name>COutputCalibrationPage</name>
    <message>
        <source>输出校准</source>
        <translation>Output calibration</translation>
    </message>
    <message>
        <source>电流校准</source>
        <translation>Current calibration</translation>
    </message>
    <message>
        <source>电压校准</source>
        <translation>Voltage calibration</translation>
    </message>
    <message>
        <source>低电流校准</source>
        <translation>&amp;Low current calibration</translation>
    </message>
    <message>
        <source>低电压校准</source>
        <translation>Lo&amp;w voltage calibration</translation>
    </message>
    <message>
        <source>高电流校准</source>
        <translation>H&amp;igh current calibration</translation>
    </message>
    <message>
        <source>高电压校准</source>
        <translation>High &amp;voltage calibration</translation>
    </message>
    <message>
        <source>计算&gt;&gt;</source>
        <translation>Compute&gt;&gt;</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>斜率：</source>
        <translation>Slope:</translation>
    </message>
    <message>
        <source>平移：</source>
        <translation>Offset:</translation>
    </message>
    <message>
        <source>输出类型%1没有模拟输出（见基本配置页）</source>
        <translation>Output type %1 has no analogue output (see the basic configuration page).</translation>
    </message>
    <message>
        <source>输出类型%1没有电压输出（见基本配置页）</source>
        <translation>Output type %1 has no voltage output (see the basic configuration page).</translation>
    </message>
    <message>
        <source>输出类型%1没有电流输出（见基本配置页）</source>
        <translation>Output type %1 has no current output (see the basic configuration page).</translation>
    </message>
</context>
<context>
    <name>CPropSheet</name>
    <message>
        <source>Property sheet</source>
        <translation>Property sheet</translation>
    </message>
    <message>
        <source>The basic configuration</source>
        <translation>Basic configuration</translation>
    </message>
    <message>
        <source>Data Collection</source>
        <translation>Data collection</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>输出校准</source>
        <translation>Output calibration</translation>
    </message>
    <message>
        <source>温度补偿</source>
        <translation>Temperature compensation</translation>
    </message>
    <message>
        <source>Live values</source>
        <translation>Live values</translation>
    </message>
</context>
<context>
    <name>CSerialConfigDlg</name>
    <message>
        <source>No parity</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Odd parity</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>even parity</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Classic</source>
        <translation>Classic</translation>
    </message>
    <message>
        <source>Serial Configuration</source>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>Data formats:</source>
        <translation>Data format:</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Baud rate:</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>Parity bit:</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>Data bits:</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>Stop bit:</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>Response time-out:</source>
        <translation>Response time-out:</translation>
    </message>
    <message>
        <source>Classic: every exchange waits as it always has. A number: how many milliseconds a device may take beyond the wire time (20 to 5000).</source>
        <translation>Classic: every exchange waits as it always has. A number: how many milliseconds a device may take beyond the wire time (20 to 5000).</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>RS-485 mode (RTS on send)</source>
        <translation>RS-485 mode (RTS on send)</translation>
    </message>
    <message>
        <source>For a native UART that switches the transceiver itself.</source>
        <translation>For a native UART that switches the transceiver itself.</translation>
    </message>
</context>
<context>
    <name>CTablePage</name>
    <message>
        <source>Export CSV...</source>
        <translation>&amp;Export CSV...</translation>
    </message>
    <message>
        <source>Record data</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>Export data file</source>
        <translation>Export data file</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All Files (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>System initialization, open the serial port error!</source>
        <translation>Start-up: the serial port could not be opened!</translation>
    </message>
    <message>
        <source>The serial port is closed </source>
        <translation>The serial port is closed </translation>
    </message>
    <message>
        <source>the line hung up.</source>
        <translation>the line hung up.</translation>
    </message>
    <message>
        <source>The serial port is not open, read serial operation failed!</source>
        <translation>The serial port is not open: read failed!</translation>
    </message>
    <message>
        <source>The serial port is not open,Write serial operation failed!</source>
        <translation>The serial port is not open: write failed!</translation>
    </message>
    <message>
        <source>Error Code%1read serial operation failed!</source>
        <translation>Error code %1: serial read failed!</translation>
    </message>
    <message>
        <source>Error Code%1,Write serial operation failed!</source>
        <translation>Error code %1: serial write failed!</translation>
    </message>
    <message>
        <source>System initialization, open the serial port %1 Success!</source>
        <translation>Serial port %1 opened.</translation>
    </message>
    <message>
        <source>The serial port %1 is closed: %2</source>
        <translation>Serial port %1 is closed: %2</translation>
    </message>
    <message>
        <source>采集线程%1启动失败！</source>
        <translation>Acquisition thread %1 failed to start!</translation>
    </message>
    <message>
        <source>地址%1：K和B值下载校验失败！</source>
        <translation>Address %1: K and B download failed verification!</translation>
    </message>
    <message>
        <source>以下地址的各点采集值全部相同，无法计算K和B值，未下载：%1</source>
        <translation>All readings are equal at these addresses, K and B cannot be computed, not downloaded: %1</translation>
    </message>
    <message>
        <source>以下地址缺少标定点的采集值，未下载K和B值：%1</source>
        <translation>These addresses lack a calibration point reading, K and B not downloaded: %1</translation>
    </message>
    <message>
        <source>标定点%1尚未采集，无法计算K和B值，未下载！</source>
        <translation>Calibration point %1 not acquired yet, K and B cannot be computed, not downloaded!</translation>
    </message>
    <message>
        <source>K和B值下载完成！以下地址的拟合残差超过量程的0.5%，请检查：%1</source>
        <translation>K and B download complete! The fit residual exceeds 0.5% of the range at these addresses, please check: %1</translation>
    </message>
    <message>
        <source>Device did not answer %1 times in a row, acquisition ended!</source>
        <translation>Device did not answer %1 times in a row, acquisition ended!</translation>
    </message>
    <message>
        <source>错误信息  %1</source>
        <translation>Error message  %1</translation>
    </message>
    <message>
        <source>%1 enter a value from %2 to %3</source>
        <translation>%1 enter a value from %2 to %3</translation>
    </message>
    <message>
        <source>More than one device answers: %1. Every one of them takes address %2. Send anyway?</source>
        <translation>More than one device answers: %1. Every one of them takes address %2. Send anyway?</translation>
    </message>
    <message>
        <source>More than one device answers: %1. Nothing was sent.</source>
        <translation>More than one device answers: %1. Nothing was sent.</translation>
    </message>
    <message>
        <source>Configuration confirmed: address %1, product code %2</source>
        <translation>Configuration confirmed: address %1, product code %2</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 gives no answer!</source>
        <translation>Configuration not confirmed: address %1 gives no answer!</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 holds address %2!</source>
        <translation>Configuration not confirmed: address %1 holds address %2!</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 holds product code %2, sent %3!</source>
        <translation>Configuration not confirmed: address %1 holds product code %2, sent %3!</translation>
    </message>
    <message>
        <source>Line %1 (%2) is not a parameter!</source>
        <translation>Line %1 (%2) is not a parameter!</translation>
    </message>
    <message>
        <source>Line %1 (%2) repeats line %3!</source>
        <translation>Line %1 (%2) repeats line %3!</translation>
    </message>
    <message>
        <source>Line %1 (%2) is missing!</source>
        <translation>Line %1 (%2) is missing!</translation>
    </message>
    <message>
        <source>%1 of %2 devices verified%3</source>
        <translation>%1 of %2 devices verified%3</translation>
    </message>
    <message>
        <source>%1 holds %2, sent %3</source>
        <translation>%1 holds %2, sent %3</translation>
    </message>
    <message>
        <source>%1: verified</source>
        <translation>%1: verified</translation>
    </message>
    <message>
        <source>%1: no answer</source>
        <translation>%1: no answer</translation>
    </message>
    <message>
        <source>标定报告已保存：%1</source>
        <translation>Calibration report saved: %1</translation>
    </message>
    <message>
        <source>标定报告保存失败：%1（%2）</source>
        <translation>Calibration report not saved: %1 (%2)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Thread failed to start search！</source>
        <translation>The search thread failed to start!</translation>
    </message>
    <message>
        <source>批量下载线程启动失败！</source>
        <translation>Batch download thread failed to start!</translation>
    </message>
    <message>
        <source>No online device</source>
        <translation>No online device</translation>
    </message>
    <message>
        <source>Search failed!</source>
        <translation>Search failed!</translation>
    </message>
    <message>
        <source>Searching for information to complete!</source>
        <translation>Search complete.</translation>
    </message>
    <message>
        <source>Download Success!</source>
        <translation>Download successful.</translation>
    </message>
    <message>
        <source>Download failed!</source>
        <translation>Download failed!</translation>
    </message>
    <message>
        <source>No search appliance！</source>
        <translation>No device found: search first!</translation>
    </message>
    <message>
        <source>请键入一个数。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>请键入一个整数。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>Range start:</source>
        <translation>Range start:</translation>
    </message>
    <message>
        <source>Range end:</source>
        <translation>Range end:</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>Current device:</source>
        <translation>Current device:</translation>
    </message>
    <message>
        <source>Product code:</source>
        <translation>Product code:</translation>
    </message>
    <message>
        <source>K1 action:</source>
        <translation>K1 action:</translation>
    </message>
    <message>
        <source>K2 action:</source>
        <translation>K2 action:</translation>
    </message>
    <message>
        <source>K1 delay value:</source>
        <translation>K1 delay:</translation>
    </message>
    <message>
        <source>K2 delay value:</source>
        <translation>K2 delay:</translation>
    </message>
    <message>
        <source>liquid density:</source>
        <translation>Liquid density:</translation>
    </message>
    <message>
        <source>Zoom range of termination:</source>
        <translation>Zoom end:</translation>
    </message>
    <message>
        <source>Initial zoom range:</source>
        <translation>Zoom start:</translation>
    </message>
    <message>
        <source>K1 releasing value:</source>
        <translation>K1 release:</translation>
    </message>
    <message>
        <source>K2 releasing value:</source>
        <translation>K2 release:</translation>
    </message>
    <message>
        <source>level</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>Hysteresis normally close</source>
        <translation>Hysteresis, normally closed</translation>
    </message>
    <message>
        <source>Hysteresis normally open</source>
        <translation>Hysteresis, normally open</translation>
    </message>
    <message>
        <source>The window close</source>
        <translation>Window, normally closed</translation>
    </message>
    <message>
        <source>The window open</source>
        <translation>Window, normally open</translation>
    </message>
    <message>
        <source>Searching: Batch download and Configuration are back when the search ends</source>
        <translation>Searching: Batch download and Configuration are back when the search ends</translation>
    </message>
    <message>
        <source>The configuration file could not be saved!</source>
        <translation>The configuration file could not be saved!</translation>
    </message>
    <message>
        <source>The configuration file cannot be read!</source>
        <translation>The configuration file cannot be read!</translation>
    </message>
    <message>
        <source>The preset file cannot be read!</source>
        <translation>The preset file cannot be read!</translation>
    </message>
    <message>
        <source>No device was online to read back: search first</source>
        <translation>No device was online to read back: search first</translation>
    </message>
    <message>
        <source>Product code</source>
        <translation>Product code</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Signal type</source>
        <translation>Signal type</translation>
    </message>
    <message>
        <source>Signal unit</source>
        <translation>Signal unit</translation>
    </message>
    <message>
        <source>Range start</source>
        <translation>Range start</translation>
    </message>
    <message>
        <source>Range end</source>
        <translation>Range end</translation>
    </message>
    <message>
        <source>Output type</source>
        <translation>Output type</translation>
    </message>
    <message>
        <source>Point position</source>
        <translation>Point position</translation>
    </message>
    <message>
        <source>K1 switch type</source>
        <translation>K1 switch type</translation>
    </message>
    <message>
        <source>K1 action</source>
        <translation>K1 action</translation>
    </message>
    <message>
        <source>K1 release</source>
        <translation>K1 release</translation>
    </message>
    <message>
        <source>K1 delay</source>
        <translation>K1 delay</translation>
    </message>
    <message>
        <source>K2 switch type</source>
        <translation>K2 switch type</translation>
    </message>
    <message>
        <source>K2 action</source>
        <translation>K2 action</translation>
    </message>
    <message>
        <source>K2 release</source>
        <translation>K2 release</translation>
    </message>
    <message>
        <source>K2 delay</source>
        <translation>K2 delay</translation>
    </message>
    <message>
        <source>Output range</source>
        <translation>Output range</translation>
    </message>
    <message>
        <source>Zoom start</source>
        <translation>Zoom start</translation>
    </message>
    <message>
        <source>Zoom end</source>
        <translation>Zoom end</translation>
    </message>
    <message>
        <source>Density</source>
        <translation>Density</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>没有可保存的标定结果！</source>
        <translation>No calibration result to save!</translation>
    </message>
    <message>
        <source>校验失败！</source>
        <translation>Verification failed!</translation>
    </message>
    <message>
        <source>低电流校准完成！</source>
        <translation>Low current calibration complete!</translation>
    </message>
    <message>
        <source>低电压校准完成！</source>
        <translation>Low voltage calibration complete!</translation>
    </message>
    <message>
        <source>高电流校准完成！</source>
        <translation>High current calibration complete!</translation>
    </message>
    <message>
        <source>高电压校准完成！</source>
        <translation>High voltage calibration complete!</translation>
    </message>
    <message>
        <source>K和B值下载完成！</source>
        <translation>K and B download complete!</translation>
    </message>
    <message>
        <source>没有打开串口，或者没有搜索在线设备！</source>
        <translation>The serial port is not open, or no online devices were searched!</translation>
    </message>
    <message>
        <source>未搜索到在线设备！</source>
        <translation>No online device found!</translation>
    </message>
    <message>
        <source>小数点位置未选择，无法计算K和B值，未下载！</source>
        <translation>No point position chosen, K and B cannot be computed, not downloaded!</translation>
    </message>
    <message>
        <source>标定点数无效，无法计算K和B值，未下载！</source>
        <translation>Invalid number of calibration points, K and B cannot be computed, not downloaded!</translation>
    </message>
    <message>
        <source>液体密度为0，无法计算K和B值，未下载！</source>
        <translation>Liquid density is 0, K and B cannot be computed, not downloaded!</translation>
    </message>
    <message>
        <source>量程起点与终点相同，无法计算K和B值，未下载！</source>
        <translation>Range start equals range end, K and B cannot be computed, not downloaded!</translation>
    </message>
    <message>
        <source>尚未下载K和B值，无法校验！</source>
        <translation>K and B not downloaded yet, nothing to verify!</translation>
    </message>
    <message>
        <source>校验线程启动失败！</source>
        <translation>Verify thread failed to start!</translation>
    </message>
    <message>
        <source>No device, you can not search the data!</source>
        <translation>No device: search first!</translation>
    </message>
    <message>
        <source>Not enough memory assigned to the timer!</source>
        <translation>Not enough memory for the timer!</translation>
    </message>
    <message>
        <source>File Open Failed!</source>
        <translation>File open failed!</translation>
    </message>
    <message>
        <source> Searching device failed!</source>
        <translation> Device search failed!</translation>
    </message>
    <message>
        <source>Collecting data, please wait....</source>
        <translation>Collecting data, please wait...</translation>
    </message>
    <message>
        <source>Cancel Acquisition</source>
        <translation>Cancel acquisition</translation>
    </message>
    <message>
        <source>End time setting can not be lower than the current time</source>
        <translation>The end time cannot be earlier than the current time.</translation>
    </message>
    <message>
        <source>File Write Failed!</source>
        <translation>File write failed!</translation>
    </message>
    <message>
        <source>Exporting data, please wait....</source>
        <translation>Exporting data, please wait...</translation>
    </message>
    <message>
        <source>Cancel Export</source>
        <translation>Cancel export</translation>
    </message>
    <message>
        <source>This file is not collected data, please select another file!</source>
        <translation>This file is not a record file. Please choose another file.</translation>
    </message>
    <message>
        <source>This file holds no records.</source>
        <translation>This file holds no records.</translation>
    </message>
    <message>
        <source>Importing data, please wait....</source>
        <translation>Importing data, please wait...</translation>
    </message>
    <message>
        <source>Cancel Import</source>
        <translation>Cancel import</translation>
    </message>
    <message>
        <source>Login password you entered is incorrect</source>
        <translation>The password is incorrect.</translation>
    </message>
    <message>
        <source>Permission denied on %1: add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation>Permission denied on %1: add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again.</translation>
    </message>
    <message>
        <source>No such device: %1. Is the adapter plugged in?</source>
        <translation>No such device: %1. Is the adapter plugged in?</translation>
    </message>
    <message>
        <source>%1 is busy: another program is using this port.</source>
        <translation>%1 is busy: another program is using this port.</translation>
    </message>
    <message>
        <source>%1 is not a serial port.</source>
        <translation>%1 is not a serial port.</translation>
    </message>
    <message>
        <source>%1 is not a TCP port name: write tcp:HOST:PORT with a port from 1 to 65535.</source>
        <translation>%1 is not a TCP port name: write tcp:HOST:PORT with a port from 1 to 65535.</translation>
    </message>
    <message>
        <source>Unknown host %1: %2</source>
        <translation>Unknown host %1: %2</translation>
    </message>
    <message>
        <source>No connection to %1: %2</source>
        <translation>No connection to %1: %2</translation>
    </message>
    <message>
        <source>%1 did not accept the connection within %2 s.</source>
        <translation>%1 did not accept the connection within %2 s.</translation>
    </message>
    <message>
        <source>a directory, not a file</source>
        <translation>a directory, not a file</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>larger than %1 bytes</source>
        <translation>larger than %1 bytes</translation>
    </message>
    <message>
        <source>斜率须大于0，请先计算斜率和平移，未下载！</source>
        <translation>The slope must be above 0: compute slope and offset first. Not downloaded!</translation>
    </message>
    <message>
        <source>下载中断！</source>
        <translation>Download interrupted!</translation>
    </message>
    <message>
        <source>已写入并确认：%1</source>
        <translation>Written and confirmed: %1</translation>
    </message>
    <message>
        <source>已写入，未确认：%1</source>
        <translation>Written, not confirmed: %1</translation>
    </message>
    <message>
        <source>未写入：%1</source>
        <translation>Not written: %1</translation>
    </message>
    <message>
        <source>no port: give --port PATH or set KORVELANTIS_PORT</source>
        <translation>no port: give --port PATH or set KORVELANTIS_PORT</translation>
    </message>
    <message>
        <source>input ended</source>
        <translation>input ended</translation>
    </message>
    <message>
        <source>The hook command failed: %1</source>
        <translation>The hook command failed: %1</translation>
    </message>
    <message>
        <source>The hook command ran longer than %1 s and was ended: %2</source>
        <translation>The hook command ran longer than %1 s and was ended: %2</translation>
    </message>
    <message>
        <source>Apply %1 %2 and press Enter</source>
        <translation>Apply %1 %2 and press Enter</translation>
    </message>
    <message>
        <source>Measured %1 value (%2): </source>
        <translation>Measured %1 value (%2): </translation>
    </message>
    <message>
        <source>Not a number: %1</source>
        <translation>Not a number: %1</translation>
    </message>
    <message>
        <source>The high value must be above the low value; nothing was written.</source>
        <translation>The high value must be above the low value; nothing was written.</translation>
    </message>
    <message>
        <source>%1 of %2 samples written</source>
        <translation>%1 of %2 samples written</translation>
    </message>
    <message>
        <source>Address %1 (%2) has no current output; nothing was written.</source>
        <translation>Address %1 (%2) has no current output; nothing was written.</translation>
    </message>
    <message>
        <source>Address %1 (%2) has no voltage output; nothing was written.</source>
        <translation>Address %1 (%2) has no voltage output; nothing was written.</translation>
    </message>
    <message>
        <source>%1 is the record file itself; nothing was written.</source>
        <translation>%1 is the record file itself; nothing was written.</translation>
    </message>
    <message>
        <source>%1 is a record file (.rec); nothing was written.</source>
        <translation>%1 is a record file (.rec); nothing was written.</translation>
    </message>
    <message>
        <source>illegal function</source>
        <translation>illegal function</translation>
    </message>
    <message>
        <source>illegal data address</source>
        <translation>illegal data address</translation>
    </message>
    <message>
        <source>illegal data value</source>
        <translation>illegal data value</translation>
    </message>
    <message>
        <source>server device failure</source>
        <translation>server device failure</translation>
    </message>
    <message>
        <source>acknowledge, busy</source>
        <translation>acknowledge, busy</translation>
    </message>
    <message>
        <source>server device busy</source>
        <translation>server device busy</translation>
    </message>
    <message>
        <source>memory parity error</source>
        <translation>memory parity error</translation>
    </message>
    <message>
        <source>gateway path unavailable</source>
        <translation>gateway path unavailable</translation>
    </message>
    <message>
        <source>gateway target failed to respond</source>
        <translation>gateway target failed to respond</translation>
    </message>
    <message>
        <source>unknown exception</source>
        <translation>unknown exception</translation>
    </message>
    <message>
        <source>Device %1 refused the request: exception %2, %3</source>
        <translation>Device %1 refused the request: exception %2, %3</translation>
    </message>
    <message>
        <source>%1 answers failed their CRC check</source>
        <translation>%1 answers failed their CRC check</translation>
    </message>
    <message>
        <source>%1 answer failed its CRC check</source>
        <translation>%1 answer failed its CRC check</translation>
    </message>
    <message>
        <source>%1 answers came cut</source>
        <translation>%1 answers came cut</translation>
    </message>
    <message>
        <source>%1 answer came cut</source>
        <translation>%1 answer came cut</translation>
    </message>
    <message>
        <source>device %1 refused</source>
        <translation>device %1 refused</translation>
    </message>
    <message>
        <source>%1 has no RS-485 mode (%2): use the adapter&apos;s own direction control.</source>
        <translation>%1 has no RS-485 mode (%2): use the adapter&apos;s own direction control.</translation>
    </message>
    <message>
        <source>%1 is held by another acquisition: this one writes %2</source>
        <translation>%1 is held by another acquisition: this one writes %2</translation>
    </message>
    <message>
        <source>Configuration sent, not confirmed: the devices now hold address %1, product code %2</source>
        <translation>Configuration sent, not confirmed: the devices now hold address %1, product code %2</translation>
    </message>
    <message>
        <source>%1: written, not read back</source>
        <translation>%1: written, not read back</translation>
    </message>
    <message>
        <source>更改标定点数将清除已采集的数值和K、B值的结果，是否继续？</source>
        <translation>Changing the number of calibration points clears the readings and the K and B results. Continue?</translation>
    </message>
    <message>
        <source>Time Interval can not be empty</source>
        <translation>The interval cannot be empty.</translation>
    </message>
    <message>
        <source>End time setting can not be lower than the start time</source>
        <translation>The end time cannot be earlier than the start time.</translation>
    </message>
    <message>
        <source>Time Interval or duration can not be empty</source>
        <translation>The interval or the duration cannot be empty.</translation>
    </message>
    <message>
        <source>Duration time can not be less than the interval</source>
        <translation>The duration cannot be shorter than the interval.</translation>
    </message>
    <message>
        <source>%1: not reached</source>
        <translation>%1: not reached</translation>
    </message>
    <message>
        <source>Device %1 holds point position code %2: its values are left out.</source>
        <translation>Device %1 holds point position code %2: its values are left out.</translation>
    </message>
    <message>
        <source>The MQTT client did not start: %1</source>
        <translation>The MQTT client did not start: %1</translation>
    </message>
    <message>
        <source>%1 values were dropped while the broker could not be reached.</source>
        <translation>%1 values were dropped while the broker could not be reached.</translation>
    </message>
    <message>
        <source>%1 values did not reach the broker %2: %3</source>
        <translation>%1 values did not reach the broker %2: %3</translation>
    </message>
    <message>
        <source>Watching: other bus work is back when the watch stops</source>
        <translation>Watching: other bus work is back when the watch stops</translation>
    </message>
    <message>
        <source>The MQTT client did not start.</source>
        <translation>The MQTT client did not start.</translation>
    </message>
    <message>
        <source>Thread failed to start the watch!</source>
        <translation>Thread failed to start the watch!</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>Address %1 of %2, %3 online</source>
        <translation>Address %1 of %2, %3 online</translation>
    </message>
    <message>
        <source>Searching address %1 of %2</source>
        <translation>Searching address %1 of %2</translation>
    </message>
    <message>
        <source>Address %1, %2 of %3</source>
        <translation>Address %1, %2 of %3</translation>
    </message>
    <message>
        <source>Writing to every device (address 127)</source>
        <translation>Writing to every device (address 127)</translation>
    </message>
    <message>
        <source>Writing to address %1</source>
        <translation>Writing to address %1</translation>
    </message>
    <message>
        <source>The devices store what was written</source>
        <translation>The devices store what was written</translation>
    </message>
    <message>
        <source>Reading back address %1, %2 of %3</source>
        <translation>Reading back address %1, %2 of %3</translation>
    </message>
    <message>
        <source>Address %1 of %2, %3 answering</source>
        <translation>Address %1 of %2, %3 answering</translation>
    </message>
    <message>
        <source>Writing address %1 and product code %2</source>
        <translation>Writing address %1 and product code %2</translation>
    </message>
    <message>
        <source>Reading address %1</source>
        <translation>Reading address %1</translation>
    </message>
    <message>
        <source>%1 of %2 samples taken</source>
        <translation>%1 of %2 samples taken</translation>
    </message>
    <message>
        <source>, %1 without answer</source>
        <translation>, %1 without answer</translation>
    </message>
    <message>
        <source>, %1 not written</source>
        <translation>, %1 not written</translation>
    </message>
    <message>
        <source>
Last value: %1 %2</source>
        <translation>
Last value: %1 %2</translation>
    </message>
    <message>
        <source>
First sample at %1</source>
        <translation>
First sample at %1</translation>
    </message>
    <message>
        <source>
Next sample at %1</source>
        <translation>
Next sample at %1</translation>
    </message>
    <message>
        <source>Writing the records</source>
        <translation>Writing the records</translation>
    </message>
    <message>
        <source>Reading the records</source>
        <translation>Reading the records</translation>
    </message>
    <message>
        <source>Reading the file</source>
        <translation>Reading the file</translation>
    </message>
    <message>
        <source>: %1 of %2 MB</source>
        <translation>: %1 of %2 MB</translation>
    </message>
    <message>
        <source>The devices prepare for their coefficients</source>
        <translation>The devices prepare for their coefficients</translation>
    </message>
</context>
<context>
    <name>QtOperatorMessages</name>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>WaitDialog</name>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>, about %1 s left</source>
        <translation>, about %1 s left</translation>
    </message>
</context>
<context>
    <name>WaitDialogs</name>
    <message>
        <source>Searching online device, please wait ...................</source>
        <translation>Searching for online devices, please wait...</translation>
    </message>
    <message>
        <source>Cancel Search</source>
        <translation>Cancel search</translation>
    </message>
    <message>
        <source>Collecting data, please wait....</source>
        <translation>Collecting data, please wait...</translation>
    </message>
    <message>
        <source>Cancel Acquisition</source>
        <translation>Cancel acquisition</translation>
    </message>
    <message>
        <source>Batch download, please wait......</source>
        <translation>Batch download, please wait...</translation>
    </message>
    <message>
        <source>Cancel Download</source>
        <translation>Cancel download</translation>
    </message>
    <message>
        <source>正在下载电流校准系数，请稍后....</source>
        <translation>Downloading the current calibration coefficients, please wait....</translation>
    </message>
    <message>
        <source>取消下载</source>
        <translation>Cancel Download</translation>
    </message>
    <message>
        <source>正在下载电压校准系数，请稍后。。。</source>
        <translation>Downloading the voltage calibration coefficients, please wait...</translation>
    </message>
    <message>
        <source>Calibrating the outputs, please wait......</source>
        <translation>Calibrating the outputs, please wait...</translation>
    </message>
    <message>
        <source>Cancel Calibration</source>
        <translation>Cancel calibration</translation>
    </message>
    <message>
        <source>Configuration, please wait......</source>
        <translation>Configuration, please wait...</translation>
    </message>
    <message>
        <source>Cancel Configuration</source>
        <translation>Cancel configuration</translation>
    </message>
</context>
</TS>
