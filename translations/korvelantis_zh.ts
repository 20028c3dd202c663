<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BasicConfigControls</name>
    <message>
        <source>Signal type:</source>
        <translation>信号类型：</translation>
    </message>
    <message>
        <source>Signal unit:</source>
        <translation>信号单位：</translation>
    </message>
    <message>
        <source>Output type:</source>
        <translation>输出类型：</translation>
    </message>
    <message>
        <source>Point position:</source>
        <translation>小数点位置：</translation>
    </message>
    <message>
        <source>K1 switch type:</source>
        <translation>K1开关类型：</translation>
    </message>
    <message>
        <source>K2 switch type:</source>
        <translation>K2开关类型：</translation>
    </message>
    <message>
        <source>The output voltage:</source>
        <translation>输出电压：</translation>
    </message>
    <message>
        <source>The current output:</source>
        <translation>输出电流：</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Batch download</source>
        <translation>批量下载</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>Save configuration file</source>
        <translation>保存配置文件</translation>
    </message>
    <message>
        <source>Equipment options</source>
        <translation>设备选择</translation>
    </message>
    <message>
        <source>%1-%2 select</source>
        <translation>%1-%2 选择</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Empty</source>
        <translation>清空</translation>
    </message>
</context>
<context>
    <name>BusFrameModel</name>
    <message>
        <source>answer</source>
        <translation>应答</translation>
    </message>
    <message>
        <source>time-out</source>
        <translation>超时</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>拒绝</translation>
    </message>
    <message>
        <source>foreign frame skipped</source>
        <translation>跳过他址帧</translation>
    </message>
    <message>
        <source>late bytes discarded</source>
        <translation>丢弃迟到字节</translation>
    </message>
    <message>
        <source>no answer read</source>
        <translation>未读应答</translation>
    </message>
    <message>
        <source>line failed</source>
        <translation>线路故障</translation>
    </message>
    <message>
        <source>good</source>
        <translation>正确</translation>
    </message>
    <message>
        <source>bad</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Time (ms)</source>
        <translation>时间（ms）</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>功能码</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>CRC</source>
        <translation>CRC</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Latency (ms)</source>
        <translation>延迟（ms）</translation>
    </message>
</context>
<context>
    <name>BusMonitorWindow</name>
    <message>
        <source>Bus monitor</source>
        <translation>总线监视</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>保存...</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>帧</translation>
    </message>
    <message>
        <source>Reset figures</source>
        <translation>统计清零</translation>
    </message>
    <message>
        <source>Figures per address</source>
        <translation>各地址统计</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Requests</source>
        <translation>请求</translation>
    </message>
    <message>
        <source>Answers</source>
        <translation>应答</translation>
    </message>
    <message>
        <source>Time-outs</source>
        <translation>超时</translation>
    </message>
    <message>
        <source>CRC errors</source>
        <translation>CRC错误</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>拒绝</translation>
    </message>
    <message>
        <source>Foreign frames</source>
        <translation>他址帧</translation>
    </message>
    <message>
        <source>Min (ms)</source>
        <translation>最小（ms）</translation>
    </message>
    <message>
        <source>Mean (ms)</source>
        <translation>平均（ms）</translation>
    </message>
    <message>
        <source>Max (ms)</source>
        <translation>最大（ms）</translation>
    </message>
    <message>
        <source>Figures since they were reset</source>
        <translation>统计自清零以来</translation>
    </message>
    <message>
        <source>Figures since the port was opened</source>
        <translation>统计自串口打开以来</translation>
    </message>
    <message numerus="yes">
        <source>%n frames</source>
        <translation>
            <numerusform>%n 帧</numerusform>
        </translation>
    </message>
    <message>
        <source>, %1 not shown</source>
        <translation>，%1 帧未显示</translation>
    </message>
    <message>
        <source> (paused)</source>
        <translation>（已暂停）</translation>
    </message>
    <message>
        <source>Save bus traffic</source>
        <translation>保存总线通信</translation>
    </message>
    <message>
        <source>Text Files(*.txt);;All Files(*.*)</source>
        <translation>文本文件(*.txt);;所有文件(*.*)</translation>
    </message>
    <message>
        <source>Bus traffic not saved: %1 (%2)</source>
        <translation>总线通信未保存：%1（%2）</translation>
    </message>
    <message>
        <source>Bus traffic saved: %1</source>
        <translation>总线通信已保存：%1</translation>
    </message>
    <message>
        <source>good</source>
        <translation>正确</translation>
    </message>
    <message>
        <source>foreign frame skipped</source>
        <translation>跳过他址帧</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Korvelantis</source>
        <translation>关于 Korvelantis</translation>
    </message>
    <message>
        <source>Configures, calibrates and logs switch-transmitters on RS-485.</source>
        <translation>在RS-485总线上配置、标定和记录开关变送器。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>CBasicConfigPage</name>
    <message>
        <source>Text Files(*.txt);;ALL Files(*.*)</source>
        <translation>文本文件(*.txt);;所有文件(*.*)</translation>
    </message>
    <message>
        <source>The basic configuration</source>
        <translation>基本配置</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>导入</translation>
    </message>
</context>
<context>
    <name>CCalibrationPage</name>
    <message>
        <source>Calibration</source>
        <translation>标定</translation>
    </message>
    <message>
        <source>标定点数：</source>
        <translation>标定点数：</translation>
    </message>
    <message>
        <source>采集</source>
        <translation>采集</translation>
    </message>
    <message>
        <source>point %1</source>
        <translation>第%1点</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>Calibration table</source>
        <translation>标定表</translation>
    </message>
    <message>
        <source>计算K和B值并下载</source>
        <translation>计算K和B值并下载</translation>
    </message>
    <message>
        <source>保存标定报告</source>
        <translation>保存标定报告</translation>
    </message>
    <message>
        <source>Acquisition results</source>
        <translation>采集结果</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>压力</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>数值</translation>
    </message>
</context>
<context>
    <name>CCurveCtrl</name>
    <message>
        <source>Record curve</source>
        <translation>记录曲线</translation>
    </message>
</context>
<context>
    <name>CCurvePage</name>
    <message>
        <source>Hour</source>
        <translation>小时</translation>
    </message>
    <message>
        <source>Save curve image...</source>
        <translation>保存曲线图像...</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>分钟</translation>
    </message>
    <message>
        <source>小时</source>
        <translation>小时</translation>
    </message>
    <message>
        <source>Save curve image</source>
        <translation>保存曲线图像</translation>
    </message>
    <message>
        <source>PNG Files (*.png);;All Files (*)</source>
        <translation>PNG文件 (*.png);;所有文件 (*)</translation>
    </message>
</context>
<context>
    <name>CDataGatherDlg</name>
    <message>
        <source>Acquisition</source>
        <translation>采集</translation>
    </message>
    <message>
        <source>Data Collection</source>
        <translation>数据采集</translation>
    </message>
    <message>
        <source>Acquisition mode</source>
        <translation>采集方式</translation>
    </message>
    <message>
        <source>Reservation mode</source>
        <translation>预约方式</translation>
    </message>
    <message>
        <source>Immediate Mode</source>
        <translation>立即方式</translation>
    </message>
    <message>
        <source>Time interval:</source>
        <translation>时间间隔：</translation>
    </message>
    <message>
        <source>Start time:</source>
        <translation>开始时间：</translation>
    </message>
    <message>
        <source>End time:</source>
        <translation>结束时间：</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>分钟</translation>
    </message>
    <message>
        <source>Note:</source>
        <translation>共计：</translation>
    </message>
    <message>
        <source>(Article) recording</source>
        <translation>条记录</translation>
    </message>
    <message>
        <source>Continued time:</source>
        <translation>持续时间：</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>小时</translation>
    </message>
    <message>
        <source>Record files: %1</source>
        <translation>记录文件：%1</translation>
    </message>
    <message>
        <source>Show in table and curve</source>
        <translation>在表格和曲线中显示</translation>
    </message>
    <message>
        <source>Record data</source>
        <translation>记录数据</translation>
    </message>
    <message>
        <source>Record curve</source>
        <translation>记录曲线</translation>
    </message>
    <message>
        <source>Record file: %1</source>
        <translation>记录文件：%1</translation>
    </message>
    <message>
        <source>Import data file</source>
        <translation>导入数据文件</translation>
    </message>
    <message>
        <source>Rec Files (*.rec);;All Files (*)</source>
        <translation>记录文件 (*.rec);;所有文件 (*)</translation>
    </message>
</context>
<context>
    <name>CFitQualityTable</name>
    <message>
        <source>Fit quality</source>
        <translation>拟合质量</translation>
    </message>
    <message>
        <source>拟合残差</source>
        <translation>拟合残差</translation>
    </message>
    <message>
        <source>第%1点残差</source>
        <translation>第%1点残差</translation>
    </message>
    <message>
        <source>最大残差</source>
        <translation>最大残差</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>判定</translation>
    </message>
    <message>
        <source>第%1点校验误差</source>
        <translation>第%1点校验误差</translation>
    </message>
    <message>
        <source>校验误差</source>
        <translation>校验误差</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>合格</translation>
    </message>
    <message>
        <source>超差</source>
        <translation>超差</translation>
    </message>
    <message>
        <source>缺采集值</source>
        <translation>缺采集值</translation>
    </message>
    <message>
        <source>采集值相同</source>
        <translation>采集值相同</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>无应答</translation>
    </message>
</context>
<context>
    <name>CLiveValuesPage</name>
    <message>
        <source>Empty: no MQTT</source>
        <translation>空: 不用 MQTT</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Live values</source>
        <translation>实时数值</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>Age (s)</source>
        <translation>时长 (秒)</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>&amp;Interval (s):</source>
        <translation>间隔 (秒)(&amp;I):</translation>
    </message>
    <message>
        <source>&amp;MQTT host:</source>
        <translation>MQTT 主机(&amp;M):</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>端口(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Topic prefix:</source>
        <translation>主题前缀(&amp;T):</translation>
    </message>
    <message>
        <source>online</source>
        <translation>在线</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>离线</translation>
    </message>
</context>
<context>
    <name>CLoginDlg</name>
    <message>
        <source>The enterprise user login</source>
        <translation>企业用户登录</translation>
    </message>
    <message>
        <source>Login password：</source>
        <translation>登录密码：</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>5 minutes</source>
        <translation>5分钟</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10分钟</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30分钟</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1小时</translation>
    </message>
    <message>
        <source>2 hour</source>
        <translation>2小时</translation>
    </message>
    <message>
        <source>5 hour</source>
        <translation>5小时</translation>
    </message>
    <message>
        <source>10 hour</source>
        <translation>10小时</translation>
    </message>
    <message>
        <source>20 hour</source>
        <translation>20小时</translation>
    </message>
    <message>
        <source>1/4 range</source>
        <translation>1/4量程</translation>
    </message>
    <message>
        <source>1/3 range</source>
        <translation>1/3量程</translation>
    </message>
    <message>
        <source>1/2 range</source>
        <translation>1/2量程</translation>
    </message>
    <message>
        <source>Full scale</source>
        <translation>满量程</translation>
    </message>
    <message>
        <source>Full scale+</source>
        <translation>满量程+</translation>
    </message>
    <message>
        <source>File(&amp;F)</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>Import basic parameters (&amp;P)...	Ctrl+P</source>
        <translation>导入基本参数(&amp;P)...	Ctrl+P</translation>
    </message>
    <message>
        <source>Import data(&amp;D)...	Ctrl+D</source>
        <translation>导入数据(&amp;D)...	Ctrl+D</translation>
    </message>
    <message>
        <source>Exit(&amp;X)</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>Serial port(&amp;S)</source>
        <translation>串口(&amp;S)</translation>
    </message>
    <message>
        <source>Serial port configuration(&amp;C)</source>
        <translation>串口配置(&amp;C)</translation>
    </message>
    <message>
        <source>Open Serial port (&amp;O)</source>
        <translation>打开串口(&amp;O)</translation>
    </message>
    <message>
        <source>Close Serial port (&amp;B)</source>
        <translation>关闭串口(&amp;B)</translation>
    </message>
    <message>
        <source>Bus monitor(&amp;M)...</source>
        <translation>总线监视(&amp;M)...</translation>
    </message>
    <message>
        <source>Image adjustment(&amp;A)</source>
        <translation>图像调整(&amp;A)</translation>
    </message>
    <message>
        <source>Time division</source>
        <translation>时间分度</translation>
    </message>
    <message>
        <source>The output index</source>
        <translation>输出分度</translation>
    </message>
    <message>
        <source>Help(&amp;H)</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>About Korvelantis(&amp;A)...</source>
        <translation>关于 Korvelantis(&amp;A)...</translation>
    </message>
    <message>
        <source>Enterprise user login(&amp;L)</source>
        <translation>企业用户登录(&amp;L)</translation>
    </message>
    <message>
        <source>载入温度预设(&amp;T)</source>
        <translation>载入温度预设(&amp;T)</translation>
    </message>
    <message>
        <source>载入液位预设(&amp;L)</source>
        <translation>载入液位预设(&amp;L)</translation>
    </message>
    <message>
        <source>导入基本参数(&amp;P)...	Ctrl+P</source>
        <translation>导入基本参数(&amp;P)...	Ctrl+P</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>大写</source>
        <translation>大写</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>滚动</source>
        <translation>滚动</translation>
    </message>
    <message>
        <source>Search progress</source>
        <translation>搜索进度</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Simulated devices %1</source>
        <translation>模拟设备 %1</translation>
    </message>
    <message>
        <source>open</source>
        <translation>已打开</translation>
    </message>
    <message>
        <source>hung up</source>
        <translation>已断开</translation>
    </message>
    <message>
        <source>closed</source>
        <translation>已关闭</translation>
    </message>
    <message>
        <source>%1  %2  %3</source>
        <translation>%1  %2  %3</translation>
    </message>
    <message>
        <source>Applied pressure:</source>
        <translation>施加压力：</translation>
    </message>
    <message>
        <source>Applied pressure</source>
        <translation>施加压力</translation>
    </message>
</context>
<context>
    <name>COnlinePanel</name>
    <message>
        <source>显示在线设备</source>
        <translation>显示在线设备</translation>
    </message>
    <message>
        <source>注：红色表示仪表不在线，绿色表示在线</source>
        <translation>注：红色表示仪表不在线，绿色表示在线</translation>
    </message>
    <message>
        <source>online</source>
        <translation>在线</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>离线</translation>
    </message>
    <message>
        <source>since the figures were reset</source>
        <translation>自统计清零以来</translation>
    </message>
    <message>
        <source>since the port was opened</source>
        <translation>自串口打开以来</translation>
    </message>
    <message>
        <source>Address %1: no requests %2.</source>
        <translation>地址%1：%2没有请求。</translation>
    </message>
    <message>
        <source>Address %1, %2:</source>
        <translation>地址%1，%2：</translation>
    </message>
    <message>
        <source>requests %1, answers %2, time-outs %3</source>
        <translation>请求 %1，应答 %2，超时 %3</translation>
    </message>
    <message>
        <source>CRC errors %1, refused %2, foreign frames %3</source>
        <translation>CRC错误 %1，拒绝 %2，他址帧 %3</translation>
    </message>
    <message>
        <source>latency min %1 / mean %2 / max %3 ms</source>
        <translation>延迟 最小 %1 / 平均 %2 / 最大 %3 ms</translation>
    </message>
    <message>
        <source>Latest value: %1 %2</source>
        <translation>最新数值: %1 %2</translation>
    </message>
</context>
<context>
    <name>COutputCalibrationPage</name>
    <message>
        <source>输出校准</source>
        <translation>输出校准</translation>
    </message>
    <message>
        <source>电流校准</source>
        <translation>电流校准</translation>
    </message>
    <message>
        <source>电压校准</source>
        <translation>电压校准</translation>
    </message>
    <message>
        <source>低电流校准</source>
        <translation>低电流校准</translation>
    </message>
    <message>
        <source>低电压校准</source>
        <translation>低电压校准</translation>
    </message>
    <message>
        <source>高电流校准</source>
        <translation>高电流校准</translation>
    </message>
    <message>
        <source>高电压校准</source>
        <translation>高电压校准</translation>
    </message>
    <message>
        <source>计算&gt;&gt;</source>
        <translation>计算&gt;&gt;</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>斜率：</source>
        <translation>斜率：</translation>
    </message>
    <message>
        <source>平移：</source>
        <translation>平移：</translation>
    </message>
    <message>
        <source>输出类型%1没有模拟输出（见基本配置页）</source>
        <translation>输出类型%1没有模拟输出（见基本配置页）</translation>
    </message>
    <message>
        <source>输出类型%1没有电压输出（见基本配置页）</source>
        <translation>输出类型%1没有电压输出（见基本配置页）</translation>
    </message>
    <message>
        <source>输出类型%1没有电流输出（见基本配置页）</source>
        <translation>输出类型%1没有电流输出（见基本配置页）</translation>
    </message>
</context>
<context>
    <name>CPropSheet</name>
    <message>
        <source>Property sheet</source>
        <translation>属性页</translation>
    </message>
    <message>
        <source>The basic configuration</source>
        <translation>基本配置</translation>
    </message>
    <message>
        <source>Data Collection</source>
        <translation>数据采集</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>标定</translation>
    </message>
    <message>
        <source>输出校准</source>
        <translation>输出校准</translation>
    </message>
    <message>
        <source>温度补偿</source>
        <translation>温度补偿</translation>
    </message>
    <message>
        <source>Live values</source>
        <translation>实时数值</translation>
    </message>
</context>
<context>
    <name>CSerialConfigDlg</name>
    <message>
        <source>No parity</source>
        <translation>无校验</translation>
    </message>
    <message>
        <source>Odd parity</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>even parity</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>Classic</source>
        <translation>经典</translation>
    </message>
    <message>
        <source>Serial Configuration</source>
        <translation>串口配置</translation>
    </message>
    <message>
        <source>Data formats:</source>
        <translation>数据格式：</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>串口：</translation>
    </message>
    <message>
        <source>Baud rate:</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>Parity bit:</source>
        <translation>校验位：</translation>
    </message>
    <message>
        <source>Data bits:</source>
        <translation>数据位：</translation>
    </message>
    <message>
        <source>Stop bit:</source>
        <translation>停止位：</translation>
    </message>
    <message>
        <source>Response time-out:</source>
        <translation>应答超时：</translation>
    </message>
    <message>
        <source>Classic: every exchange waits as it always has. A number: how many milliseconds a device may take beyond the wire time (20 to 5000).</source>
        <translation>经典：每次通信按原有时间等待。数字：设备在传输时间之外最多可用的毫秒数（20至5000）。</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>RS-485 mode (RTS on send)</source>
        <translation>RS-485模式（发送时RTS）</translation>
    </message>
    <message>
        <source>For a native UART that switches the transceiver itself.</source>
        <translation>用于自行切换收发器方向的板载串口。</translation>
    </message>
</context>
<context>
    <name>CTablePage</name>
    <message>
        <source>Export CSV...</source>
        <translation>导出CSV...</translation>
    </message>
    <message>
        <source>Record data</source>
        <translation>记录数据</translation>
    </message>
    <message>
        <source>Export data file</source>
        <translation>导出数据文件</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All Files (*)</source>
        <translation>CSV文件 (*.csv);;所有文件 (*)</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>System initialization, open the serial port error!</source>
        <translation>系统初始化，打开串口出错！</translation>
    </message>
    <message>
        <source>The serial port is closed </source>
        <translation>串口已关闭</translation>
    </message>
    <message>
        <source>the line hung up.</source>
        <translation>线路已断开。</translation>
    </message>
    <message>
        <source>The serial port is not open, read serial operation failed!</source>
        <translation>串口未打开，读串口操作失败！</translation>
    </message>
    <message>
        <source>The serial port is not open,Write serial operation failed!</source>
        <translation>串口未打开，写串口操作失败！</translation>
    </message>
    <message>
        <source>Error Code%1read serial operation failed!</source>
        <translation>错误代码%1，读串口操作失败！</translation>
    </message>
    <message>
        <source>Error Code%1,Write serial operation failed!</source>
        <translation>错误代码%1，写串口操作失败！</translation>
    </message>
    <message>
        <source>System initialization, open the serial port %1 Success!</source>
        <translation>系统初始化，打开串口%1成功！</translation>
    </message>
    <message>
        <source>The serial port %1 is closed: %2</source>
        <translation>串口%1已关闭：%2</translation>
    </message>
    <message>
        <source>采集线程%1启动失败！</source>
        <translation>采集线程%1启动失败！</translation>
    </message>
    <message>
        <source>地址%1：K和B值下载校验失败！</source>
        <translation>地址%1：K和B值下载校验失败！</translation>
    </message>
    <message>
        <source>以下地址的各点采集值全部相同，无法计算K和B值，未下载：%1</source>
        <translation>以下地址的各点采集值全部相同，无法计算K和B值，未下载：%1</translation>
    </message>
    <message>
        <source>以下地址缺少标定点的采集值，未下载K和B值：%1</source>
        <translation>以下地址缺少标定点的采集值，未下载K和B值：%1</translation>
    </message>
    <message>
        <source>标定点%1尚未采集，无法计算K和B值，未下载！</source>
        <translation>标定点%1尚未采集，无法计算K和B值，未下载！</translation>
    </message>
    <message>
        <source>K和B值下载完成！以下地址的拟合残差超过量程的0.5%，请检查：%1</source>
        <translation>K和B值下载完成！以下地址的拟合残差超过量程的0.5%，请检查：%1</translation>
    </message>
    <message>
        <source>Device did not answer %1 times in a row, acquisition ended!</source>
        <translation>设备连续%1次无应答，采集结束！</translation>
    </message>
    <message>
        <source>错误信息  %1</source>
        <translation>错误信息  %1</translation>
    </message>
    <message>
        <source>%1 enter a value from %2 to %3</source>
        <translation>%1请输入%2至%3之间的值</translation>
    </message>
    <message>
        <source>More than one device answers: %1. Every one of them takes address %2. Send anyway?</source>
        <translation>有多台设备应答：%1。它们都将使用地址%2。仍然发送吗？</translation>
    </message>
    <message>
        <source>More than one device answers: %1. Nothing was sent.</source>
        <translation>有多台设备应答：%1。未发送任何内容。</translation>
    </message>
    <message>
        <source>Configuration confirmed: address %1, product code %2</source>
        <translation>配置已确认：地址%1，产品编码%2</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 gives no answer!</source>
        <translation>配置未确认：地址%1无应答！</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 holds address %2!</source>
        <translation>配置未确认：地址%1的地址为%2！</translation>
    </message>
    <message>
        <source>Configuration not confirmed: address %1 holds product code %2, sent %3!</source>
        <translation>配置未确认：地址%1的产品编码为%2，发送的是%3！</translation>
    </message>
    <message>
        <source>Line %1 (%2) is not a parameter!</source>
        <translation>第%1行（%2）不是参数！</translation>
    </message>
    <message>
        <source>Line %1 (%2) repeats line %3!</source>
        <translation>第%1行（%2）与第%3行重复！</translation>
    </message>
    <message>
        <source>Line %1 (%2) is missing!</source>
        <translation>缺少第%1行（%2）！</translation>
    </message>
    <message>
        <source>%1 of %2 devices verified%3</source>
        <translation>%2台设备中%1台校验通过%3</translation>
    </message>
    <message>
        <source>%1 holds %2, sent %3</source>
        <translation>%1为%2，发送的是%3</translation>
    </message>
    <message>
        <source>%1: verified</source>
        <translation>%1：校验通过</translation>
    </message>
    <message>
        <source>%1: no answer</source>
        <translation>%1：无应答</translation>
    </message>
    <message>
        <source>标定报告已保存：%1</source>
        <translation>标定报告已保存：%1</translation>
    </message>
    <message>
        <source>标定报告保存失败：%1（%2）</source>
        <translation>标定报告保存失败：%1（%2）</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Thread failed to start search！</source>
        <translation>搜索线程启动失败！</translation>
    </message>
    <message>
        <source>批量下载线程启动失败！</source>
        <translation>批量下载线程启动失败！</translation>
    </message>
    <message>
        <source>No online device</source>
        <translation>没有在线设备</translation>
    </message>
    <message>
        <source>Search failed!</source>
        <translation>搜索失败！</translation>
    </message>
    <message>
        <source>Searching for information to complete!</source>
        <translation>搜索信息完成！</translation>
    </message>
    <message>
        <source>Download Success!</source>
        <translation>下载成功！</translation>
    </message>
    <message>
        <source>Download failed!</source>
        <translation>下载失败！</translation>
    </message>
    <message>
        <source>No search appliance！</source>
        <translation>未搜索到设备！</translation>
    </message>
    <message>
        <source>请键入一个数。</source>
        <translation>请键入一个数。</translation>
    </message>
    <message>
        <source>请键入一个整数。</source>
        <translation>请键入一个整数。</translation>
    </message>
    <message>
        <source>Range start:</source>
        <translation>量程起点：</translation>
    </message>
    <message>
        <source>Range end:</source>
        <translation>量程终点：</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>地址：</translation>
    </message>
    <message>
        <source>Current device:</source>
        <translation>当前设备：</translation>
    </message>
    <message>
        <source>Product code:</source>
        <translation>产品编码：</translation>
    </message>
    <message>
        <source>K1 action:</source>
        <translation>K1动作值：</translation>
    </message>
    <message>
        <source>K2 action:</source>
        <translation>K2动作值：</translation>
    </message>
    <message>
        <source>K1 delay value:</source>
        <translation>K1延时值：</translation>
    </message>
    <message>
        <source>K2 delay value:</source>
        <translation>K2延时值：</translation>
    </message>
    <message>
        <source>liquid density:</source>
        <translation>液体密度：</translation>
    </message>
    <message>
        <source>Zoom range of termination:</source>
        <translation>迁移量程终点：</translation>
    </message>
    <message>
        <source>Initial zoom range:</source>
        <translation>迁移量程起点：</translation>
    </message>
    <message>
        <source>K1 releasing value:</source>
        <translation>K1释放值：</translation>
    </message>
    <message>
        <source>K2 releasing value:</source>
        <translation>K2释放值：</translation>
    </message>
    <message>
        <source>level</source>
        <translation>液位</translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation>压力</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>Hysteresis normally close</source>
        <translation>迟滞常闭</translation>
    </message>
    <message>
        <source>Hysteresis normally open</source>
        <translation>迟滞常开</translation>
    </message>
    <message>
        <source>The window close</source>
        <translation>窗口常闭</translation>
    </message>
    <message>
        <source>The window open</source>
        <translation>窗口常开</translation>
    </message>
    <message>
        <source>Searching: Batch download and Configuration are back when the search ends</source>
        <translation>正在搜索：搜索结束后方可批量下载和配置</translation>
    </message>
    <message>
        <source>The configuration file could not be saved!</source>
        <translation>配置文件无法保存！</translation>
    </message>
    <message>
        <source>The configuration file cannot be read!</source>
        <translation>配置文件无法读取！</translation>
    </message>
    <message>
        <source>The preset file cannot be read!</source>
        <translation>预设文件无法读取！</translation>
    </message>
    <message>
        <source>No device was online to read back: search first</source>
        <translation>没有在线设备可回读：请先搜索</translation>
    </message>
    <message>
        <source>Product code</source>
        <translation>产品编码</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Signal type</source>
        <translation>信号类型</translation>
    </message>
    <message>
        <source>Signal unit</source>
        <translation>信号单位</translation>
    </message>
    <message>
        <source>Range start</source>
        <translation>量程起点</translation>
    </message>
    <message>
        <source>Range end</source>
        <translation>量程终点</translation>
    </message>
    <message>
        <source>Output type</source>
        <translation>输出类型</translation>
    </message>
    <message>
        <source>Point position</source>
        <translation>小数点位置</translation>
    </message>
    <message>
        <source>K1 switch type</source>
        <translation>K1开关类型</translation>
    </message>
    <message>
        <source>K1 action</source>
        <translation>K1动作值</translation>
    </message>
    <message>
        <source>K1 release</source>
        <translation>K1释放值</translation>
    </message>
    <message>
        <source>K1 delay</source>
        <translation>K1延时</translation>
    </message>
    <message>
        <source>K2 switch type</source>
        <translation>K2开关类型</translation>
    </message>
    <message>
        <source>K2 action</source>
        <translation>K2动作值</translation>
    </message>
    <message>
        <source>K2 release</source>
        <translation>K2释放值</translation>
    </message>
    <message>
        <source>K2 delay</source>
        <translation>K2延时</translation>
    </message>
    <message>
        <source>Output range</source>
        <translation>输出范围</translation>
    </message>
    <message>
        <source>Zoom start</source>
        <translation>迁移起点</translation>
    </message>
    <message>
        <source>Zoom end</source>
        <translation>迁移终点</translation>
    </message>
    <message>
        <source>Density</source>
        <translation>密度</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>寄存器</translation>
    </message>
    <message>
        <source>没有可保存的标定结果！</source>
        <translation>没有可保存的标定结果！</translation>
    </message>
    <message>
        <source>校验失败！</source>
        <translation>校验失败！</translation>
    </message>
    <message>
        <source>低电流校准完成！</source>
        <translation>低电流校准完成！</translation>
    </message>
    <message>
        <source>低电压校准完成！</source>
        <translation>低电压校准完成！</translation>
    </message>
    <message>
        <source>高电流校准完成！</source>
        <translation>高电流校准完成！</translation>
    </message>
    <message>
        <source>高电压校准完成！</source>
        <translation>高电压校准完成！</translation>
    </message>
    <message>
        <source>K和B值下载完成！</source>
        <translation>K和B值下载完成！</translation>
    </message>
    <message>
        <source>没有打开串口，或者没有搜索在线设备！</source>
        <translation>没有打开串口，或者没有搜索在线设备！</translation>
    </message>
    <message>
        <source>未搜索到在线设备！</source>
        <translation>未搜索到在线设备！</translation>
    </message>
    <message>
        <source>小数点位置未选择，无法计算K和B值，未下载！</source>
        <translation>小数点位置未选择，无法计算K和B值，未下载！</translation>
    </message>
    <message>
        <source>标定点数无效，无法计算K和B值，未下载！</source>
        <translation>标定点数无效，无法计算K和B值，未下载！</translation>
    </message>
    <message>
        <source>液体密度为0，无法计算K和B值，未下载！</source>
        <translation>液体密度为0，无法计算K和B值，未下载！</translation>
    </message>
    <message>
        <source>量程起点与终点相同，无法计算K和B值，未下载！</source>
        <translation>量程起点与终点相同，无法计算K和B值，未下载！</translation>
    </message>
    <message>
        <source>尚未下载K和B值，无法校验！</source>
        <translation>尚未下载K和B值，无法校验！</translation>
    </message>
    <message>
        <source>校验线程启动失败！</source>
        <translation>校验线程启动失败！</translation>
    </message>
    <message>
        <source>No device, you can not search the data!</source>
        <translation>没有设备，无法采集数据！</translation>
    </message>
    <message>
        <source>Not enough memory assigned to the timer!</source>
        <translation>定时器内存不足！</translation>
    </message>
    <message>
        <source>File Open Failed!</source>
        <translation>文件打开失败！</translation>
    </message>
    <message>
        <source> Searching device failed!</source>
        <translation>搜索设备失败！</translation>
    </message>
    <message>
        <source>Collecting data, please wait....</source>
        <translation>正在采集数据，请稍候....</translation>
    </message>
    <message>
        <source>Cancel Acquisition</source>
        <translation>取消采集</translation>
    </message>
    <message>
        <source>End time setting can not be lower than the current time</source>
        <translation>结束时间不能早于当前时间</translation>
    </message>
    <message>
        <source>File Write Failed!</source>
        <translation>文件写入失败！</translation>
    </message>
    <message>
        <source>Exporting data, please wait....</source>
        <translation>正在导出数据，请稍候....</translation>
    </message>
    <message>
        <source>Cancel Export</source>
        <translation>取消导出</translation>
    </message>
    <message>
        <source>This file is not collected data, please select another file!</source>
        <translation>该文件不是采集数据，请选择其他文件！</translation>
    </message>
    <message>
        <source>This file holds no records.</source>
        <translation>该文件没有记录。</translation>
    </message>
    <message>
        <source>Importing data, please wait....</source>
        <translation>正在导入数据，请稍候....</translation>
    </message>
    <message>
        <source>Cancel Import</source>
        <translation>取消导入</translation>
    </message>
    <message>
        <source>Login password you entered is incorrect</source>
        <translation>您输入的登录密码不正确</translation>
    </message>
    <message>
        <source>Permission denied on %1: add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation>无权访问%1：请将用户加入dialout组（sudo usermod -aG dialout $USER）后重新登录。</translation>
    </message>
    <message>
        <source>No such device: %1. Is the adapter plugged in?</source>
        <translation>没有设备%1。适配器插好了吗？</translation>
    </message>
    <message>
        <source>%1 is busy: another program is using this port.</source>
        <translation>%1忙：另一个程序正在使用该串口。</translation>
    </message>
    <message>
        <source>%1 is not a serial port.</source>
        <translation>%1不是串口。</translation>
    </message>
    <message>
        <source>%1 is not a TCP port name: write tcp:HOST:PORT with a port from 1 to 65535.</source>
        <translation>%1不是TCP端口名：请写成tcp:主机:端口，端口为1至65535。</translation>
    </message>
    <message>
        <source>Unknown host %1: %2</source>
        <translation>未知主机%1：%2</translation>
    </message>
    <message>
        <source>No connection to %1: %2</source>
        <translation>无法连接%1：%2</translation>
    </message>
    <message>
        <source>%1 did not accept the connection within %2 s.</source>
        <translation>%1在%2秒内未接受连接。</translation>
    </message>
    <message>
        <source>a directory, not a file</source>
        <translation>是目录，不是文件</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>已取消</translation>
    </message>
    <message>
        <source>larger than %1 bytes</source>
        <translation>大于%1字节</translation>
    </message>
    <message>
        <source>斜率须大于0，请先计算斜率和平移，未下载！</source>
        <translation>斜率须大于0，请先计算斜率和平移，未下载！</translation>
    </message>
    <message>
        <source>更改标定点数将清除已采集的数值和K、B值的结果，是否继续？</source>
        <translation>更改标定点数将清除已采集的数值和K、B值的结果，是否继续？</translation>
    </message>
    <message>
        <source>Time Interval can not be empty</source>
        <translation>时间间隔不能为空</translation>
    </message>
    <message>
        <source>End time setting can not be lower than the start time</source>
        <translation>结束时间不能早于开始时间</translation>
    </message>
    <message>
        <source>Time Interval or duration can not be empty</source>
        <translation>时间间隔或持续时间不能为空</translation>
    </message>
    <message>
        <source>Duration time can not be less than the interval</source>
        <translation>持续时间不能小于时间间隔</translation>
    </message>
    <message>
        <source>下载中断！</source>
        <translation>下载中断！</translation>
    </message>
    <message>
        <source>已写入并确认：%1</source>
        <translation>已写入并确认：%1</translation>
    </message>
    <message>
        <source>已写入，未确认：%1</source>
        <translation>已写入，未确认：%1</translation>
    </message>
    <message>
        <source>未写入：%1</source>
        <translation>未写入：%1</translation>
    </message>
    <message>
        <source>no port: give --port PATH or set KORVELANTIS_PORT</source>
        <translation>未指定串口：请用 --port PATH 或设置 KORVELANTIS_PORT</translation>
    </message>
    <message>
        <source>input ended</source>
        <translation>输入已结束</translation>
    </message>
    <message>
        <source>The hook command failed: %1</source>
        <translation>钩子命令失败：%1</translation>
    </message>
    <message>
        <source>The hook command ran longer than %1 s and was ended: %2</source>
        <translation>钩子命令运行超过%1秒，已终止：%2</translation>
    </message>
    <message>
        <source>Apply %1 %2 and press Enter</source>
        <translation>请施加%1 %2后按回车</translation>
    </message>
    <message>
        <source>Measured %1 value (%2): </source>
        <translation>%1点测量值（%2）：</translation>
    </message>
    <message>
        <source>Not a number: %1</source>
        <translation>不是数字：%1</translation>
    </message>
    <message>
        <source>The high value must be above the low value; nothing was written.</source>
        <translation>高点值必须大于低点值，未写入！</translation>
    </message>
    <message>
        <source>%1 of %2 samples written</source>
        <translation>已写入%1/%2个采样</translation>
    </message>
    <message>
        <source>Address %1 (%2) has no current output; nothing was written.</source>
        <translation>地址%1（%2）没有电流输出，未写入！</translation>
    </message>
    <message>
        <source>Address %1 (%2) has no voltage output; nothing was written.</source>
        <translation>地址%1（%2）没有电压输出，未写入！</translation>
    </message>
    <message>
        <source>%1 is the record file itself; nothing was written.</source>
        <translation>%1就是记录文件本身，未写入！</translation>
    </message>
    <message>
        <source>%1 is a record file (.rec); nothing was written.</source>
        <translation>%1是记录文件（.rec），未写入！</translation>
    </message>
    <message>
        <source>illegal function</source>
        <translation>非法功能</translation>
    </message>
    <message>
        <source>illegal data address</source>
        <translation>非法数据地址</translation>
    </message>
    <message>
        <source>illegal data value</source>
        <translation>非法数据值</translation>
    </message>
    <message>
        <source>server device failure</source>
        <translation>从站设备故障</translation>
    </message>
    <message>
        <source>acknowledge, busy</source>
        <translation>已确认，正忙</translation>
    </message>
    <message>
        <source>server device busy</source>
        <translation>从站设备忙</translation>
    </message>
    <message>
        <source>memory parity error</source>
        <translation>存储奇偶校验错误</translation>
    </message>
    <message>
        <source>gateway path unavailable</source>
        <translation>网关路径不可用</translation>
    </message>
    <message>
        <source>gateway target failed to respond</source>
        <translation>网关目标设备无应答</translation>
    </message>
    <message>
        <source>unknown exception</source>
        <translation>未知异常</translation>
    </message>
    <message>
        <source>Device %1 refused the request: exception %2, %3</source>
        <translation>设备%1拒绝了请求：异常码%2，%3</translation>
    </message>
    <message>
        <source>%1 answers failed their CRC check</source>
        <translation>%1个应答CRC校验失败</translation>
    </message>
    <message>
        <source>%1 answer failed its CRC check</source>
        <translation>%1个应答CRC校验失败</translation>
    </message>
    <message>
        <source>%1 answers came cut</source>
        <translation>%1个应答不完整</translation>
    </message>
    <message>
        <source>%1 answer came cut</source>
        <translation>%1个应答不完整</translation>
    </message>
    <message>
        <source>device %1 refused</source>
        <translation>设备%1拒绝</translation>
    </message>
    <message>
        <source>%1 has no RS-485 mode (%2): use the adapter&apos;s own direction control.</source>
        <translation>%1没有RS-485模式（%2）：请使用适配器自带的方向控制。</translation>
    </message>
    <message>
        <source>%1 is held by another acquisition: this one writes %2</source>
        <translation>%1 正被另一采集占用：本次采集写入 %2</translation>
    </message>
    <message>
        <source>Configuration sent, not confirmed: the devices now hold address %1, product code %2</source>
        <translation>配置已发送，未确认：设备现为地址%1，产品编码%2</translation>
    </message>
    <message>
        <source>%1: written, not read back</source>
        <translation>%1：已写入，未回读</translation>
    </message>
    <message>
        <source>%1: not reached</source>
        <translation>%1：未送达</translation>
    </message>
    <message>
        <source>Device %1 holds point position code %2: its values are left out.</source>
        <translation>设备%1的小数点位置代码为%2：其数值未予记录。</translation>
    </message>
    <message>
        <source>The MQTT client did not start: %1</source>
        <translation>MQTT客户端未能启动：%1</translation>
    </message>
    <message>
        <source>%1 values were dropped while the broker could not be reached.</source>
        <translation>无法连接代理服务器期间丢弃了%1个数值。</translation>
    </message>
    <message>
        <source>%1 values did not reach the broker %2: %3</source>
        <translation>%1个数值未送达代理服务器%2：%3</translation>
    </message>
    <message>
        <source>Watching: other bus work is back when the watch stops</source>
        <translation>监视中: 监视停止后才能进行其他总线操作</translation>
    </message>
    <message>
        <source>The MQTT client did not start.</source>
        <translation>MQTT 客户端未能启动。</translation>
    </message>
    <message>
        <source>Thread failed to start the watch!</source>
        <translation>监视线程启动失败！</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>Address %1 of %2, %3 online</source>
        <translation>地址%1/%2，%3台在线</translation>
    </message>
    <message>
        <source>Searching address %1 of %2</source>
        <translation>正在搜索地址%1/%2</translation>
    </message>
    <message>
        <source>Address %1, %2 of %3</source>
        <translation>地址%1，第%2台，共%3台</translation>
    </message>
    <message>
        <source>Writing to every device (address 127)</source>
        <translation>正在写入所有设备（地址127）</translation>
    </message>
    <message>
        <source>Writing to address %1</source>
        <translation>正在写入地址%1</translation>
    </message>
    <message>
        <source>The devices store what was written</source>
        <translation>设备正在保存写入的参数</translation>
    </message>
    <message>
        <source>Reading back address %1, %2 of %3</source>
        <translation>正在回读地址%1，第%2台，共%3台</translation>
    </message>
    <message>
        <source>Address %1 of %2, %3 answering</source>
        <translation>地址%1/%2，%3台应答</translation>
    </message>
    <message>
        <source>Writing address %1 and product code %2</source>
        <translation>正在写入地址%1和产品代码%2</translation>
    </message>
    <message>
        <source>Reading address %1</source>
        <translation>正在读取地址%1</translation>
    </message>
    <message>
        <source>%1 of %2 samples taken</source>
        <translation>已采集%1个样本，共%2个</translation>
    </message>
    <message>
        <source>, %1 without answer</source>
        <translation>，%1次无应答</translation>
    </message>
    <message>
        <source>, %1 not written</source>
        <translation>，%1个未写入</translation>
    </message>
    <message>
        <source>
Last value: %1 %2</source>
        <translation>
最近值：%1 %2</translation>
    </message>
    <message>
        <source>
First sample at %1</source>
        <translation>
首个样本时间：%1</translation>
    </message>
    <message>
        <source>
Next sample at %1</source>
        <translation>
下一样本时间：%1</translation>
    </message>
    <message>
        <source>Writing the records</source>
        <translation>写入记录</translation>
    </message>
    <message>
        <source>Reading the records</source>
        <translation>读取记录</translation>
    </message>
    <message>
        <source>Reading the file</source>
        <translation>读取文件</translation>
    </message>
    <message>
        <source>: %1 of %2 MB</source>
        <translation>：%1 MB，共%2 MB</translation>
    </message>
    <message>
        <source>The devices prepare for their coefficients</source>
        <translation>设备正在准备接收系数</translation>
    </message>
</context>
<context>
    <name>QtOperatorMessages</name>
    <message>
        <source>&amp;Yes</source>
        <translation>是(&amp;Y)</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>否(&amp;N)</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>WaitDialog</name>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>, about %1 s left</source>
        <translation>，约剩 %1 秒</translation>
    </message>
</context>
<context>
    <name>WaitDialogs</name>
    <message>
        <source>Searching online device, please wait ...................</source>
        <translation>正在搜索在线设备，请稍候...................</translation>
    </message>
    <message>
        <source>Cancel Search</source>
        <translation>取消搜索</translation>
    </message>
    <message>
        <source>Collecting data, please wait....</source>
        <translation>正在采集数据，请稍候....</translation>
    </message>
    <message>
        <source>Cancel Acquisition</source>
        <translation>取消采集</translation>
    </message>
    <message>
        <source>Batch download, please wait......</source>
        <translation>正在批量下载，请稍候......</translation>
    </message>
    <message>
        <source>Cancel Download</source>
        <translation>取消下载</translation>
    </message>
    <message>
        <source>正在下载电流校准系数，请稍后....</source>
        <translation>正在下载电流校准系数，请稍后....</translation>
    </message>
    <message>
        <source>取消下载</source>
        <translation>取消下载</translation>
    </message>
    <message>
        <source>正在下载电压校准系数，请稍后。。。</source>
        <translation>正在下载电压校准系数，请稍后。。。</translation>
    </message>
    <message>
        <source>Calibrating the outputs, please wait......</source>
        <translation>正在校准输出，请稍候......</translation>
    </message>
    <message>
        <source>Cancel Calibration</source>
        <translation>取消校准</translation>
    </message>
    <message>
        <source>Configuration, please wait......</source>
        <translation>正在配置，请稍候......</translation>
    </message>
    <message>
        <source>Cancel Configuration</source>
        <translation>取消配置</translation>
    </message>
</context>
</TS>
