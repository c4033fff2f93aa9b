<html><head><meta charset="utf-8"><title>Notowania</title></head>
<body style="font-family: sans-serif">
<h3>Notowania indeksów (strona pokazowa)</h3>
<table border="1" cellpadding="4">
<tr><th>Indeks</th><th>Kurs</th><th>Zmiana</th></tr>
<tr><td>WIG</td><td>61 234,56</td><td style="color:green">+0,84%</td></tr>
<tr><td>WIG20</td><td>2 187,40</td><td style="color:green">+1,12%</td></tr>
<tr><td>mWIG40</td><td>5 902,13</td><td style="color:red">-0,21%</td></tr>
</table>
</body></html>
