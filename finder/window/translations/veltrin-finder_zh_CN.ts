<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AnswerMarks</name>
    <message>
        <source>Address conflict: row %1 answered from the same IP address with another MAC address.</source>
        <translation>地址冲突：第 %1 行从同一 IP 地址应答，但 MAC 地址不同。</translation>
    </message>
    <message>
        <source>Repeated answer: row %1 has the same MAC address.</source>
        <translation>重复应答：第 %1 行的 MAC 地址相同。</translation>
    </message>
    <message>
        <source>1 answer from 1 device</source>
        <translation>来自 1 台设备的 1 个应答</translation>
    </message>
    <message>
        <source>%1 answers from 1 device</source>
        <translation>来自 1 台设备的 %1 个应答</translation>
    </message>
    <message>
        <source>%1 answers from %2 devices</source>
        <translation>来自 %2 台设备的 %1 个应答</translation>
    </message>
</context>
<context>
    <name>DeviceActions</name>
    <message>
        <source>&amp;Open web page</source>
        <translation>打开网页(&amp;O)</translation>
    </message>
    <message>
        <source>Copy &amp;IP address</source>
        <translation>复制 IP 地址(&amp;I)</translation>
    </message>
    <message>
        <source>Copy &amp;MAC address</source>
        <translation>复制 MAC 地址(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Copy row(s)</source>
        <translation>复制所选行(&amp;C)</translation>
    </message>
    <message>
        <source>Copy &amp;all</source>
        <translation>全部复制(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Save list…</source>
        <translation>保存列表(&amp;S)…</translation>
    </message>
    <message>
        <source>Save list</source>
        <translation>保存列表</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>The list could not be saved as %1.</source>
        <translation>无法将列表保存为 %1。</translation>
    </message>
    <message>
        <source>Reason: %1</source>
        <translation>原因：%1</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Copy &amp;all shown</source>
        <translation>复制显示的全部(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Save shown list…</source>
        <translation>保存显示的列表(&amp;S)…</translation>
    </message>
    <message>
        <source>Save shown list</source>
        <translation>保存显示的列表</translation>
    </message>
    <message>
        <source>Open web page over HTT&amp;PS</source>
        <translation>通过 HTTPS 打开网页(&amp;P)</translation>
    </message>
    <message>
        <source>Copy command to &amp;reach it</source>
        <translation>复制访问该设备的命令(&amp;R)</translation>
    </message>
</context>
<context>
    <name>DeviceSortProxy</name>
    <message>
        <source>Click to sort by this column.</source>
        <translation>单击可按此列排序。</translation>
    </message>
    <message>
        <source>Sorted in ascending order. Click to sort in descending order.</source>
        <translation>已按升序排列。单击可按降序排列。</translation>
    </message>
    <message>
        <source>Sorted in descending order. Click to show the arrival order.</source>
        <translation>已按降序排列。单击可恢复为应答到达的顺序。</translation>
    </message>
</context>
<context>
    <name>DeviceTable</name>
    <message>
        <source>Shortened: only the first %1 characters are kept.</source>
        <translation>已截短：只保留前 %1 个字符。</translation>
    </message>
    <message>
        <source>Received: %1</source>
        <translation>收到的值：%1</translation>
    </message>
    <message>
        <source>Interface</source>
        <translation>接口</translation>
    </message>
    <message>
        <source>Time of reply</source>
        <translation>应答时间</translation>
    </message>
    <message>
        <source>Another subnet: this address is outside every subnet of %1, the interface its reply came in on, so this computer has no route to it and its web page will not open from here. &quot;Copy command to reach it&quot; gives this computer an address beside it, assuming a /24: the reply does not tell the device&apos;s own prefix.</source>
        <translation>其他子网：此地址不在 %1（收到其应答的接口）的任何子网内，本机没有到它的路由，因此无法从这里打开它的网页。“复制访问该设备的命令”为本机在它旁边添加一个地址，并假定其为 /24：应答中不含设备自身的前缀长度。</translation>
    </message>
</context>
<context>
    <name>FilterBar</name>
    <message>
        <source>Filter (Ctrl+F)</source>
        <translation>筛选 (Ctrl+F)</translation>
    </message>
    <message>
        <source>Filter devices</source>
        <translation>筛选设备</translation>
    </message>
    <message>
        <source>Shows the devices with this text in any column: part of an IP address, a MAC address with or without separators, a serial number or a description.</source>
        <translation>显示任一列含有此文本的设备：IP 地址的一部分、带或不带分隔符的 MAC 地址、序列号或描述。</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>筛选(&amp;F)</translation>
    </message>
    <message>
        <source>showing %1 of %2</source>
        <translation>显示 %2 台中的 %1 台</translation>
    </message>
</context>
<context>
    <name>InterfaceMenu</name>
    <message>
        <source>&amp;Interfaces</source>
        <translation>网络接口(&amp;I)</translation>
    </message>
    <message>
        <source>No interface is up with an IPv4 address</source>
        <translation>没有已启用且带 IPv4 地址的网络接口</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Query addresses…</source>
        <translation>查询地址(&amp;Q)…</translation>
    </message>
    <message>
        <source>Reset &amp;layout</source>
        <translation>重置布局(&amp;L)</translation>
    </message>
    <message>
        <source>The table is full: it holds %1 replies, the most it can. Later replies are not shown until the next refresh.</source>
        <translation>表格已满：它最多容纳 %1 个应答。在下次刷新之前，之后的应答不会显示。</translation>
    </message>
</context>
<context>
    <name>NoReplyPlaceholder</name>
    <message>
        <source>No device has answered yet.</source>
        <translation>尚无设备应答。</translation>
    </message>
    <message>
        <source>The request went out on:</source>
        <translation>请求已从以下位置发出：</translation>
    </message>
    <message>
        <source>Devices usually stay silent because they are on another network segment, because a firewall blocks incoming UDP traffic to port 1010, or because a VPN carries this computer&apos;s traffic.</source>
        <translation>设备没有应答，通常是因为它们位于另一个网段，防火墙阻止了发往端口 1010 的传入 UDP 流量，或者 VPN 接管了本机的网络流量。</translation>
    </message>
</context>
<context>
    <name>PlanColumnsDialog</name>
    <message>
        <source>&amp;MAC address:</source>
        <translation>MAC 地址(&amp;M):</translation>
    </message>
    <message>
        <source>&amp;Serial number:</source>
        <translation>序列号(&amp;S):</translation>
    </message>
    <message>
        <source>&amp;IP address:</source>
        <translation>IP 地址(&amp;I):</translation>
    </message>
    <message>
        <source>&amp;Version:</source>
        <translation>版本(&amp;V):</translation>
    </message>
    <message>
        <source>&amp;Name or location:</source>
        <translation>名称或位置(&amp;N):</translation>
    </message>
    <message>
        <source>Columns of the list</source>
        <translation>清单的列</translation>
    </message>
    <message>
        <source>No column of %1 is named MAC address, serial number or IP address as the finder knows them. Choose the columns that give them; the choice is kept for lists with this header.</source>
        <translation>%1 中没有本程序能识别的 MAC 地址、序列号或 IP 地址列。请选择提供这些信息的列；表头相同的清单会沿用此选择。</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(无)</translation>
    </message>
</context>
<context>
    <name>QueryAddressesDialog</name>
    <message>
        <source>Query addresses</source>
        <translation>查询地址</translation>
    </message>
    <message>
        <source>Send the request also to these addresses (for devices behind a router).
An address, a block such as 10.5.0.0/24 or a range such as 10.5.0.10-10.5.0.99;
separate several with commas. At most 65536 addresses.</source>
        <translation>也向这些地址发送请求（用于路由器后面的设备）。
可以是一个地址、一个网段（如 10.5.0.0/24）或一个范围（如 10.5.0.10-10.5.0.99）；
多个用逗号分隔。最多 65536 个地址。</translation>
    </message>
    <message>
        <source>Addresses to query</source>
        <translation>要查询的地址</translation>
    </message>
    <message>
        <source>&amp;Query</source>
        <translation>查询(&amp;Q)</translation>
    </message>
</context>
<context>
    <name>RecentPlans</name>
    <message>
        <source>Recent &amp;plans</source>
        <translation>最近的清单(&amp;P)</translation>
    </message>
</context>
<context>
    <name>ReportSaver</name>
    <message>
        <source>Save report</source>
        <translation>保存报告</translation>
    </message>
    <message>
        <source>Site:</source>
        <translation>现场:</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF 文件 (*.pdf)</translation>
    </message>
    <message>
        <source>The report could not be saved: %1</source>
        <translation>无法保存报告：%1</translation>
    </message>
</context>
<context>
    <name>SiteReport</name>
    <message>
        <source>None.</source>
        <translation>无。</translation>
    </message>
    <message>
        <source>The PDF could not be started.</source>
        <translation>无法开始写入 PDF。</translation>
    </message>
    <message>
        <source>%1 of %2 planned devices answered · %3 missing · %4 unexpected · %5 differ</source>
        <translation>计划的 %2 台设备中 %1 台已应答 · %3 台缺失 · %4 台计划外 · %5 台不一致</translation>
    </message>
    <message>
        <source>Name or location</source>
        <translation>名称或位置</translation>
    </message>
    <message>
        <source>What differs</source>
        <translation>不一致项</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>备注</translation>
    </message>
    <message>
        <source>Stations not on their planned version</source>
        <translation>版本与计划不符的设备</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>缺失</translation>
    </message>
    <message>
        <source>Differs</source>
        <translation>不一致</translation>
    </message>
    <message>
        <source>Unexpected</source>
        <translation>计划外</translation>
    </message>
    <message>
        <source>Answered</source>
        <translation>已应答</translation>
    </message>
    <message>
        <source>Versions found</source>
        <translation>发现的版本</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>设备数</translation>
    </message>
    <message>
        <source>Hand-over report: %1</source>
        <translation>交付报告：%1</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>计算机</translation>
    </message>
    <message>
        <source>Interfaces</source>
        <translation>接口</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Plan</source>
        <translation>计划</translation>
    </message>
    <message>
        <source>%1, %2 planned stations</source>
        <translation>%1，计划 %2 台设备</translation>
    </message>
</context>
<context>
    <name>SiteRows</name>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>serial</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>description</source>
        <translation>描述</translation>
    </message>
    <message>
        <source>Planned IP</source>
        <translation>计划的 IP</translation>
    </message>
    <message>
        <source>Planned version</source>
        <translation>计划的版本</translation>
    </message>
</context>
<context>
    <name>SiteViewModel</name>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 小时 %2 分</translation>
    </message>
    <message>
        <source>answered</source>
        <translation>已应答</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>缺失</translation>
    </message>
    <message>
        <source>unexpected</source>
        <translation>计划外</translation>
    </message>
    <message>
        <source>differs</source>
        <translation>不一致</translation>
    </message>
    <message>
        <source>gone</source>
        <translation>消失</translation>
    </message>
    <message>
        <source>back</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>differs: %1</source>
        <translation>不一致：%1</translation>
    </message>
    <message>
        <source>last seen %1</source>
        <translation>最后出现 %1</translation>
    </message>
    <message>
        <source>back after %1</source>
        <translation>离开 %1 后恢复</translation>
    </message>
    <message>
        <source>went away once</source>
        <translation>消失过 1 次</translation>
    </message>
    <message>
        <source>went away %1 times</source>
        <translation>消失过 %1 次</translation>
    </message>
    <message>
        <source>new</source>
        <translation>新</translation>
    </message>
    <message>
        <source>changed: %1</source>
        <translation>已变化：%1</translation>
    </message>
    <message>
        <source>Planned as %1</source>
        <translation>计划中为 %1</translation>
    </message>
    <message>
        <source>Planned IP %1, version %2</source>
        <translation>计划的 IP %1，版本 %2</translation>
    </message>
    <message>
        <source>Matched the planned serial number without its leading zeros</source>
        <translation>与计划的序列号在去掉前导零后相符</translation>
    </message>
    <message>
        <source>Matched the planned version without its leading &quot;v&quot;</source>
        <translation>与计划的版本在去掉开头的“v”后相符</translation>
    </message>
    <message>
        <source>%1 was %2</source>
        <translation>%1 原为 %2</translation>
    </message>
</context>
<context>
    <name>SiteWatch</name>
    <message>
        <source>&amp;Watch</source>
        <translation>监视(&amp;W)</translation>
    </message>
    <message>
        <source>Watch &amp;events</source>
        <translation>监视事件(&amp;E)</translation>
    </message>
    <message>
        <source>Compare with &amp;list…</source>
        <translation>与清单比较(&amp;L)…</translation>
    </message>
    <message>
        <source>Compare with list</source>
        <translation>与清单比较</translation>
    </message>
    <message>
        <source>The list %1 cannot be used.

%2</source>
        <translation>无法使用清单 %1。

%2</translation>
    </message>
    <message>
        <source>Watch &amp;settings…</source>
        <translation>监视设置(&amp;S)…</translation>
    </message>
    <message>
        <source>Save &amp;report…</source>
        <translation>保存报告(&amp;R)…</translation>
    </message>
    <message>
        <source>%1 devices seen since the watch began · %2 gone · %3 came back</source>
        <translation>监视开始以来出现 %1 台设备 · %2 台消失 · %3 台恢复</translation>
    </message>
    <message>
        <source>Lists (*.csv *.tsv *.txt *.xlsx *.xls *.ods);;All files (*)</source>
        <translation>清单 (*.csv *.tsv *.txt *.xlsx *.xls *.ods);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Columns used: %1</source>
        <translation>使用的列：%1</translation>
    </message>
    <message>
        <source>The list cannot be read now; the one read last is compared: %1</source>
        <translation>清单现在无法读取；正在与上次读取的清单比较：%1</translation>
    </message>
    <message>
        <source>the list cannot be read now</source>
        <translation>清单现在无法读取</translation>
    </message>
</context>
<context>
    <name>StatusStrip</name>
    <message>
        <source>Answered %1</source>
        <translation>已应答 %1</translation>
    </message>
    <message>
        <source>Missing %1</source>
        <translation>缺失 %1</translation>
    </message>
    <message>
        <source>Unexpected %1</source>
        <translation>计划外 %1</translation>
    </message>
    <message>
        <source>Differs %1</source>
        <translation>不一致 %1</translation>
    </message>
    <message>
        <source>Gone %1</source>
        <translation>消失 %1</translation>
    </message>
    <message>
        <source>Back %1</source>
        <translation>恢复 %1</translation>
    </message>
    <message>
        <source>Show only the rows with this status; several may be on at once.</source>
        <translation>只显示此状态的行；可同时打开多个。</translation>
    </message>
</context>
<context>
    <name>WatchEventLog</name>
    <message>
        <source>appeared</source>
        <translation>出现</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>已变化</translation>
    </message>
    <message>
        <source>gone</source>
        <translation>消失</translation>
    </message>
    <message>
        <source>back</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Watch events</source>
        <translation>监视事件</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>日期和时间</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 地址</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>描述</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>&amp;Save as CSV…</source>
        <translation>另存为 CSV(&amp;S)…</translation>
    </message>
    <message>
        <source>1 station answered</source>
        <translation>1 台设备已应答</translation>
    </message>
    <message>
        <source>%1 stations answered</source>
        <translation>%1 台设备已应答</translation>
    </message>
    <message>
        <source>first round</source>
        <translation>第一轮</translation>
    </message>
    <message>
        <source>Save watch events</source>
        <translation>保存监视事件</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV 文件 (*.csv);;所有文件 (*)</translation>
    </message>
    <message>
        <source>The events could not be saved: %1</source>
        <translation>无法保存事件：%1</translation>
    </message>
</context>
<context>
    <name>WatchSettingsDialog</name>
    <message>
        <source>Watch settings</source>
        <translation>监视设置</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>Send the request &amp;every:</source>
        <translation>发送请求的间隔(&amp;E)：</translation>
    </message>
    <message>
        <source>A device is &amp;gone after this many rounds without an answer:</source>
        <translation>设备连续多少轮无应答后视为消失(&amp;G)：</translation>
    </message>
</context>
<context>
    <name>WholeFile</name>
    <message>
        <source>Only %1 of %2 bytes could be written; the disk may be full.</source>
        <translation>只写入了 %2 字节中的 %1 字节，磁盘可能已满。</translation>
    </message>
</context>
</TS>
