<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CFindCameraDlg</name>
    <message>
        <source>Find Camera</source>
        <translation>查找摄像机</translation>
    </message>
    <message>
        <source>Asks every address from 1 to 255 for its pan position (Pelco-D query 0x51) and waits briefly for the reply. Nothing is sent that moves a camera. Only cameras that answer queries can be found this way: a camera that only obeys, or one on a line that carries nothing back (a one-way RS-485 wiring), stays silent.</source>
        <translation>向 1 到 255 的每个地址查询水平位置（Pelco-D 查询 0x51），并短暂等待应答。不会发送任何使摄像机转动的命令。只有应答查询的摄像机才能这样找到：只执行命令而不应答的摄像机，或线路不回传数据（单向 RS-485 接线）的摄像机，都不会有回应。</translation>
    </message>
    <message>
        <source>Baud rates:</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>Protocols:</source>
        <translation>协议：</translation>
    </message>
    <message>
        <source>Pelco-P has no standard query; few Pelco-P domes answer one.</source>
        <translation>Pelco-P 没有标准的查询命令；很少有 Pelco-P 球机会应答。</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>协议</translation>
    </message>
    <message>
        <source>Baud</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Pan</source>
        <translation>水平</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Choose at least one baud rate and one protocol.</source>
        <translation>请至少选择一个波特率和一个协议。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>正在扫描...</translation>
    </message>
    <message>
        <source>The port could not be opened at %1 baud.</source>
        <translation>无法以 %1 波特率打开串口。</translation>
    </message>
    <message>
        <source>Scanning at %1 baud...</source>
        <translation>正在以 %1 波特率扫描...</translation>
    </message>
    <message>
        <source>Scanning a network port at its own settings (%1 baud)...</source>
        <translation>正在按网络端口自身的设置扫描（%1 波特率）...</translation>
    </message>
    <message numerus="yes">
        <source>Cancelled; %n camera(s) found.</source>
        <translation>
            <numerusform>已取消；找到 %n 台摄像机。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Done; %n camera(s) found.</source>
        <translation>
            <numerusform>完成；找到 %n 台摄像机。</numerusform>
        </translation>
    </message>
    <message>
        <source>Applied: address %1, %2, %3 baud.</source>
        <translation>已应用：地址 %1，%2，%3 波特率。</translation>
    </message>
</context>
<context>
    <name>CLineMonitorDlg</name>
    <message>
        <source>Line Monitor</source>
        <translation>线路监视器</translation>
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
        <source>Sent and received</source>
        <translation>发送和接收</translation>
    </message>
    <message>
        <source>Sent only</source>
        <translation>仅发送</translation>
    </message>
    <message>
        <source>Received only</source>
        <translation>仅接收</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>保存...</translation>
    </message>
    <message>
        <source>Position (Pelco-D)</source>
        <translation>位置（Pelco-D）</translation>
    </message>
    <message>
        <source>Query position</source>
        <translation>查询位置</translation>
    </message>
    <message>
        <source>Set pan</source>
        <translation>设置水平</translation>
    </message>
    <message>
        <source>Set tilt</source>
        <translation>设置俯仰</translation>
    </message>
    <message>
        <source>Set zoom</source>
        <translation>设置变倍</translation>
    </message>
    <message>
        <source>Pan %1  Tilt %2  Zoom %3</source>
        <translation>水平 %1  俯仰 %2  变倍 %3</translation>
    </message>
    <message numerus="yes">
        <source>%n line(s)</source>
        <translation>
            <numerusform>%n 行</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 bytes not shown while paused</source>
        <translation>暂停期间未显示 %1 字节</translation>
    </message>
    <message>
        <source>%1 bytes lost: the window fell behind</source>
        <translation>丢失 %1 字节：窗口处理不及</translation>
    </message>
    <message>
        <source>CSV (*.csv);;Text (*.txt)</source>
        <translation>CSV 文件 (*.csv);;文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>The lines could not be written to %1.</source>
        <translation>无法将记录写入 %1。</translation>
    </message>
</context>
<context>
    <name>COrvaneDlg</name>
    <message>
        <source>WARNING</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The command list has rows that were not saved.
Clear them anyway?</source>
        <translation>命令列表中有未保存的行。
仍然清空吗？</translation>
    </message>
    <message>
        <source>LU</source>
        <translation>左上</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>上</translation>
    </message>
    <message>
        <source>RU</source>
        <translation>右上</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右</translation>
    </message>
    <message>
        <source>LD</source>
        <translation>左下</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>下</translation>
    </message>
    <message>
        <source>RD</source>
        <translation>右下</translation>
    </message>
    <message>
        <source>TELE</source>
        <translation>变倍+</translation>
    </message>
    <message>
        <source>WIDE</source>
        <translation>变倍-</translation>
    </message>
    <message>
        <source>NEAR</source>
        <translation>聚焦近</translation>
    </message>
    <message>
        <source>FAR</source>
        <translation>聚焦远</translation>
    </message>
    <message>
        <source>OPEN</source>
        <translation>光圈开</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>光圈关</translation>
    </message>
    <message>
        <source>Configure COM</source>
        <translation>串口配置</translation>
    </message>
    <message>
        <source>COM</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Data Bit</source>
        <translation>数据位</translation>
    </message>
    <message>
        <source>Stop Bit</source>
        <translation>停止位</translation>
    </message>
    <message>
        <source>Parity Bit</source>
        <translation>校验位</translation>
    </message>
    <message>
        <source>Ports...</source>
        <translation>端口...</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>RS485 Configure</source>
        <translation>RS485 配置</translation>
    </message>
    <message>
        <source>PTZ Model</source>
        <translation>云台协议</translation>
    </message>
    <message>
        <source>PTZ Address</source>
        <translation>云台地址</translation>
    </message>
    <message>
        <source>Configuation File</source>
        <translation>配置文件</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Command Edit(Hex)</source>
        <translation>命令编辑(十六进制)</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>Auto Button</source>
        <translation>自动运行</translation>
    </message>
    <message>
        <source>Cmd Interval Time</source>
        <translation>命令间隔</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>Auto Start</source>
        <translation>自动开始</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清空</translation>
    </message>
    <message>
        <source>KeyBoard</source>
        <translation>控制键盘</translation>
    </message>
    <message>
        <source>Ctrl Rate</source>
        <translation>控制速度</translation>
    </message>
    <message>
        <source>Speed of the direction buttons: 0-63 with Pelco-D, 0-64 with Pelco-P.
A larger value goes out as the protocol&apos;s top speed.</source>
        <translation>方向按钮的速度：Pelco-D 为 0-63，Pelco-P 为 0-64。
更大的值按该协议的最高速度发出。</translation>
    </message>
    <message>
        <source>Preset ID</source>
        <translation>预置位号</translation>
    </message>
    <message>
        <source>Command List</source>
        <translation>命令列表</translation>
    </message>
    <message>
        <source>not hex</source>
        <translation>非十六进制</translation>
    </message>
    <message>
        <source>too long</source>
        <translation>过长</translation>
    </message>
    <message>
        <source>ignored</source>
        <translation>被忽略</translation>
    </message>
    <message>
        <source>The command list has rows that were not saved.
Load the file in their place?</source>
        <translation>命令列表中有未保存的行。
载入文件替换它们吗？</translation>
    </message>
    <message>
        <source>1 command</source>
        <translation>1 条命令</translation>
    </message>
    <message>
        <source>%1 commands</source>
        <translation>%1 条命令</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
要替换它吗？</translation>
    </message>
    <message>
        <source>The command list was not saved.
%1</source>
        <translation>命令列表未保存。
%1</translation>
    </message>
    <message>
        <source>Saved %1 to</source>
        <translation>已保存 %1 到</translation>
    </message>
    <message>
        <source>All File(*.cfg)</source>
        <translation>所有文件(*.cfg)</translation>
    </message>
    <message>
        <source>The command list was not loaded.
%1</source>
        <translation>命令列表未载入。
%1</translation>
    </message>
    <message>
        <source>Loaded %1 of the %2 commands the file promises; the file is cut short.</source>
        <translation>文件声明有 %2 条命令，只载入了 %1 条；文件已被截断。</translation>
    </message>
    <message>
        <source>Loaded %1 from</source>
        <translation>已载入 %1，来自</translation>
    </message>
    <message>
        <source>Loaded the first %1 rows; the list holds no more, so %2 rows of the file were left out.</source>
        <translation>只载入了前 %1 行；列表已满，文件中另有 %2 行未载入。</translation>
    </message>
    <message>
        <source>PTZ Bench</source>
        <translation>云台测试台</translation>
    </message>
    <message>
        <source>The command list has rows that were not saved.
Close anyway and lose them?</source>
        <translation>命令列表中有未保存的行。
仍然关闭并丢弃它们吗？</translation>
    </message>
    <message>
        <source>Create SerialPort Object Failed!</source>
        <translation>创建串口对象失败！</translation>
    </message>
    <message>
        <source>Create Pelco-D Object Failed!</source>
        <translation>创建 Pelco-D 对象失败！</translation>
    </message>
    <message>
        <source>Create Pelco-P Object Failed!</source>
        <translation>创建 Pelco-P 对象失败！</translation>
    </message>
    <message>
        <source>Create Temp File Object Failed!</source>
        <translation>创建临时文件对象失败！</translation>
    </message>
    <message>
        <source>Create Temp Buffer Object Failed!</source>
        <translation>创建临时缓冲区对象失败！</translation>
    </message>
    <message>
        <source>Create Temp Memfile Object Failed!</source>
        <translation>创建临时内存文件对象失败！</translation>
    </message>
    <message>
        <source>Stop now</source>
        <translation>立即停止</translation>
    </message>
    <message>
        <source>Stopping... (pass %1 goes out whole)</source>
        <translation>正在停止……（第 %1 遍将完整发出）</translation>
    </message>
    <message>
        <source>The command list is empty: there is nothing to replay.</source>
        <translation>命令列表为空：没有可回放的命令。</translation>
    </message>
    <message>
        <source>There is not enough memory to replay %1 commands.</source>
        <translation>内存不足，无法回放 %1 条命令。</translation>
    </message>
    <message>
        <source>Auto Stop</source>
        <translation>自动停止</translation>
    </message>
    <message>
        <source>Pass %1</source>
        <translation>第 %1 遍</translation>
    </message>
    <message>
        <source>Serial Port Open Failed!</source>
        <translation>串口打开失败！</translation>
    </message>
    <message>
        <source>Choose a COM port and every line setting first.</source>
        <translation>请先选择串口及每一项线路设置。</translation>
    </message>
    <message>
        <source>Serial Line Lost!

The serial device went away (unplugged, switched off or its program ended), so the port is closed. Plug it back in and press Open.</source>
        <translation>串口线路中断！

串口设备已不在（被拔出、关闭或其程序已结束），因此串口已关闭。请重新插上设备，再点击“打开”。</translation>
    </message>
    <message>
        <source>Serial Line Lost!

The serial line took no byte for a second (the device or the program at the other end stopped reading), so the port is closed. Check the device and press Open.</source>
        <translation>串口线路中断！

串口线路在一秒内没有接收任何字节（另一端的设备或程序停止了读取），因此串口已关闭。请检查设备，再点击“打开”。</translation>
    </message>
    <message>
        <source>The last command listed did not go out.</source>
        <translation>列表中的最后一条命令没有发出。</translation>
    </message>
    <message>
        <source>The last %1 commands listed did not go out.</source>
        <translation>列表中的最后 %1 条命令没有发出。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Serial Port Close Success!</source>
        <translation>串口关闭成功！</translation>
    </message>
    <message>
        <source>Serial Port Open Success!</source>
        <translation>串口打开成功！</translation>
    </message>
    <message>
        <source>PRESET</source>
        <translation>设预置位</translation>
    </message>
    <message>
        <source>CALL</source>
        <translation>调预置位</translation>
    </message>
    <message>
        <source>DELETE</source>
        <translation>删预置位</translation>
    </message>
    <message>
        <source>SETAUX</source>
        <translation>开辅助</translation>
    </message>
    <message>
        <source>CLRAUX</source>
        <translation>关辅助</translation>
    </message>
    <message>
        <source>HOME</source>
        <translation>归位</translation>
    </message>
    <message>
        <source>MENU</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>MEMORY</source>
        <translation>记忆</translation>
    </message>
    <message>
        <source>SCAN</source>
        <translation>扫描</translation>
    </message>
    <message>
        <source>TOUR</source>
        <translation>巡航</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>SHOT</source>
        <translation>抓拍</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>正在连接...</translation>
    </message>
    <message>
        <source>%1 is in raw mode: the line settings are the server&apos;s own, not the ones chosen here.</source>
        <translation>%1 为原始模式：线路参数由服务器自身决定，而非此处所选。</translation>
    </message>
    <message>
        <source>Line Monitor...</source>
        <translation>线路监视...</translation>
    </message>
    <message>
        <source>Find Camera...</source>
        <translation>查找摄像机...</translation>
    </message>
    <message>
        <source>Address %1 at %2 baud is outside the dialog&apos;s choices.</source>
        <translation>地址 %1、波特率 %2 不在对话框的可选范围内。</translation>
    </message>
    <message>
        <source>Find Camera</source>
        <translation>查找摄像机</translation>
    </message>
    <message>
        <source>Open the port to ask for or set the camera&apos;s position.</source>
        <translation>请先打开串口，才能查询或设置摄像机位置。</translation>
    </message>
    <message>
        <source>Pelco-P has no position commands: these controls work with Pelco-D only.</source>
        <translation>Pelco-P 没有位置命令：这些控件仅适用于 Pelco-D。</translation>
    </message>
    <message>
        <source>A replay is running.</source>
        <translation>正在回放。</translation>
    </message>
    <message>
        <source>A camera scan is running.</source>
        <translation>正在扫描摄像机。</translation>
    </message>
</context>
<context>
    <name>CPortsDlg</name>
    <message>
        <source>No serial devices found. Plug the adapter in; this list is read again every few seconds.</source>
        <translation>未找到串口设备。请插上适配器；此列表每隔几秒重新读取一次。</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Serial devices on this computer. Select one and bind it to a COM port: the port map then leads that COM port to the device, by its /dev/serial/by-id/ name when it has one, which stays the same when the adapter is plugged in again. A binding is used from the next Open.</source>
        <translation>本机上的串口设备。选择一个设备并将它绑定到某个 COM 口：端口映射随后把该 COM 口指向这个设备，有 /dev/serial/by-id/ 名称时使用该名称，适配器重新插入后它保持不变。绑定从下一次“打开”起生效。</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>描述</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>制造商</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>VID:PID</source>
        <translation>VID:PID</translation>
    </message>
    <message>
        <source>Bound to</source>
        <translation>绑定到</translation>
    </message>
    <message>
        <source>Bind</source>
        <translation>绑定</translation>
    </message>
    <message>
        <source>Remove binding</source>
        <translation>解除绑定</translation>
    </message>
    <message>
        <source>COM port:</source>
        <translation>COM 口：</translation>
    </message>
    <message>
        <source>COM%1 now leads to %2.</source>
        <translation>COM%1 现在指向 %2。</translation>
    </message>
    <message>
        <source>COM%1 was not bound: %2.</source>
        <translation>COM%1 未能绑定：%2。</translation>
    </message>
    <message>
        <source>COM%1&apos;s binding is removed.</source>
        <translation>COM%1 的绑定已解除。</translation>
    </message>
    <message>
        <source>COM%1&apos;s binding was not removed: %2.</source>
        <translation>COM%1 的绑定未能解除：%2。</translation>
    </message>
    <message>
        <source>COM%1 is open: close it before you change its binding.</source>
        <translation>COM%1 已打开：请先关闭它，再更改其绑定。</translation>
    </message>
    <message>
        <source>host or address</source>
        <translation>主机名或地址</translation>
    </message>
    <message>
        <source>TCP port</source>
        <translation>TCP 端口</translation>
    </message>
    <message>
        <source>RFC 2217 (line settings sent)</source>
        <translation>RFC 2217（发送线路参数）</translation>
    </message>
    <message>
        <source>raw TCP (the server&apos;s line settings)</source>
        <translation>原始 TCP（使用服务器的线路参数）</translation>
    </message>
    <message>
        <source>Bind network port</source>
        <translation>绑定网络端口</translation>
    </message>
    <message>
        <source>Network port:</source>
        <translation>网络端口：</translation>
    </message>
    <message>
        <source>COM%1 was not bound: give the server&apos;s host name or address and its TCP port (1 to 65535).</source>
        <translation>COM%1 未绑定：请填写服务器的主机名或地址及其 TCP 端口（1 到 65535）。</translation>
    </message>
</context>
<context>
    <name>CommandListModel</name>
    <message>
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>报文</translation>
    </message>
    <message>
        <source>Message Size</source>
        <translation>报文长度</translation>
    </message>
    <message>
        <source>Time Interval(sec)</source>
        <translation>时间间隔(秒)</translation>
    </message>
    <message>
        <source>Milliseconds since the previous command</source>
        <translation>距上一条命令的毫秒数</translation>
    </message>
</context>
<context>
    <name>FrameText</name>
    <message>
        <source>pan left</source>
        <translation>向左</translation>
    </message>
    <message>
        <source>pan right</source>
        <translation>向右</translation>
    </message>
    <message>
        <source>tilt up</source>
        <translation>向上</translation>
    </message>
    <message>
        <source>tilt down</source>
        <translation>向下</translation>
    </message>
    <message>
        <source>zoom tele</source>
        <translation>变倍拉近</translation>
    </message>
    <message>
        <source>zoom wide</source>
        <translation>变倍拉远</translation>
    </message>
    <message>
        <source>focus near</source>
        <translation>聚焦近</translation>
    </message>
    <message>
        <source>focus far</source>
        <translation>聚焦远</translation>
    </message>
    <message>
        <source>iris open</source>
        <translation>光圈开</translation>
    </message>
    <message>
        <source>iris close</source>
        <translation>光圈关</translation>
    </message>
    <message>
        <source>auto scan on</source>
        <translation>自动扫描开</translation>
    </message>
    <message>
        <source>auto scan off</source>
        <translation>自动扫描关</translation>
    </message>
    <message>
        <source>camera on</source>
        <translation>摄像机开</translation>
    </message>
    <message>
        <source>camera off</source>
        <translation>摄像机关</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>set preset</source>
        <translation>设置预置位</translation>
    </message>
    <message>
        <source>clear preset</source>
        <translation>清除预置位</translation>
    </message>
    <message>
        <source>go to preset</source>
        <translation>调用预置位</translation>
    </message>
    <message>
        <source>set aux</source>
        <translation>辅助开关开</translation>
    </message>
    <message>
        <source>clear aux</source>
        <translation>辅助开关关</translation>
    </message>
    <message>
        <source>extended</source>
        <translation>扩展命令</translation>
    </message>
    <message>
        <source>data</source>
        <translation>数据</translation>
    </message>
    <message>
        <source>speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>turbo</source>
        <translation>高速</translation>
    </message>
    <message>
        <source>switch on</source>
        <translation>切换开</translation>
    </message>
    <message>
        <source>switch off</source>
        <translation>切换关</translation>
    </message>
    <message>
        <source>query pan</source>
        <translation>查询水平</translation>
    </message>
    <message>
        <source>query tilt</source>
        <translation>查询俯仰</translation>
    </message>
    <message>
        <source>query zoom</source>
        <translation>查询变倍</translation>
    </message>
    <message>
        <source>set pan</source>
        <translation>设置水平</translation>
    </message>
    <message>
        <source>set tilt</source>
        <translation>设置俯仰</translation>
    </message>
    <message>
        <source>set zoom</source>
        <translation>设置变倍</translation>
    </message>
    <message>
        <source>pan position</source>
        <translation>水平位置</translation>
    </message>
    <message>
        <source>tilt position</source>
        <translation>俯仰位置</translation>
    </message>
    <message>
        <source>zoom position</source>
        <translation>变倍位置</translation>
    </message>
    <message>
        <source>switch</source>
        <translation>切换帧</translation>
    </message>
</context>
<context>
    <name>LineMonitorModel</name>
    <message numerus="yes">
        <source>%n byte(s) that frame nothing</source>
        <translation>
            <numerusform>%n 字节不构成任何帧</numerusform>
        </translation>
    </message>
    <message>
        <source>check OK</source>
        <translation>校验正确</translation>
    </message>
    <message>
        <source>check WRONG (should be %1)</source>
        <translation>校验错误（应为 %1）</translation>
    </message>
    <message>
        <source>%1 address %2: %3; %4</source>
        <translation>%1 地址 %2：%3；%4</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>Meaning</source>
        <translation>含义</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>received</source>
        <translation>接收</translation>
    </message>
</context>
<context>
    <name>ManualCommand</name>
    <message>
        <source>%1 more</source>
        <translation>另外 %1 个</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 和 %2</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1、%2</translation>
    </message>
    <message>
        <source>%1 is not hex</source>
        <translation>%1 不是十六进制数</translation>
    </message>
    <message>
        <source>%1 are not hex</source>
        <translation>%1 不是十六进制数</translation>
    </message>
    <message>
        <source>%1 is too long for one byte</source>
        <translation>%1 超出一个字节</translation>
    </message>
    <message>
        <source>%1 are too long for one byte</source>
        <translation>%1 超出一个字节</translation>
    </message>
    <message>
        <source>%1 is ignored</source>
        <translation>%1 被忽略</translation>
    </message>
    <message>
        <source>%1 are ignored</source>
        <translation>%1 被忽略</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1；%2</translation>
    </message>
    <message>
        <source>Nothing was sent: %1.</source>
        <translation>未发送任何内容：%1。</translation>
    </message>
    <message>
        <source>%1 Send takes four command bytes, or one whole frame of the current protocol.</source>
        <translation>%1“发送”只接受四个命令字节，或当前协议的一个完整帧。</translation>
    </message>
    <message>
        <source>Whole frame: %1</source>
        <translation>完整帧：%1</translation>
    </message>
    <message>
        <source>Frame: none (check byte %1, not %2)</source>
        <translation>帧：无（校验字节应为 %1，而非 %2）</translation>
    </message>
    <message>
        <source>Nothing was sent: the check byte is %1; this frame needs %2.</source>
        <translation>未发送任何内容：校验字节为 %1，此帧需要 %2。</translation>
    </message>
    <message>
        <source>Frame: none (no PTZ driver)</source>
        <translation>帧：无（没有云台驱动）</translation>
    </message>
    <message>
        <source>Frame: none (fix the tokens in red)</source>
        <translation>帧：无（请修正红色标出的项）</translation>
    </message>
    <message>
        <source>Frame: %1</source>
        <translation>帧：%1</translation>
    </message>
</context>
<context>
    <name>NumberField</name>
    <message>
        <source>%1: please enter a whole number from 0 to 4294967295.</source>
        <translation>%1：请输入 0 到 4294967295 之间的整数。</translation>
    </message>
</context>
<context>
    <name>PortDiscovery</name>
    <message>
        <source>stale link of a stopped virtual dome</source>
        <translation>已停止的虚拟球机留下的失效链接</translation>
    </message>
    <message>
        <source>virtual dome on %1</source>
        <translation>%1 上的虚拟球机</translation>
    </message>
    <message>
        <source>nothing at %1</source>
        <translation>%1 处没有设备</translation>
    </message>
    <message>
        <source>not mapped</source>
        <translation>未映射</translation>
    </message>
    <message>
        <source>%1 (RFC 2217)</source>
        <translation>%1（RFC 2217）</translation>
    </message>
    <message>
        <source>%1 (raw: the server&apos;s line settings)</source>
        <translation>%1（原始：使用服务器的线路参数）</translation>
    </message>
    <message>
        <source>stale link: its dome&apos;s record does not match a running dome</source>
        <translation>失效链接：其球机记录与任何正在运行的虚拟球机都不符</translation>
    </message>
    <message>
        <source>%1 is not a serial device</source>
        <translation>%1 不是串口设备</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Drives Pelco-D and Pelco-P PTZ dome cameras over a serial line. COM1 to COM8 are the links in $XDG_CONFIG_HOME/orvane/ports (default ~/.config/orvane/ports), made with the Ports... button; see orvane(1).</source>
        <translation>通过串口线控制 Pelco-D 和 Pelco-P 云台球机。COM1 至 COM8 是 $XDG_CONFIG_HOME/orvane/ports（默认 ~/.config/orvane/ports）中的链接，用“Ports...”按钮建立；详见 orvane(1)。</translation>
    </message>
</context>
</TS>
