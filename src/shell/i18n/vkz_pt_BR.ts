<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>Clock</name>
    <message>
        <source>The computer time is not shown yet: the meter clock was not set.</source>
        <translation>A hora do computador ainda não é exibida: o relógio do medidor não foi ajustado.</translation>
    </message>
</context>
<context>
    <name>DataFile</name>
    <message>
        <source>No file name was given</source>
        <translation>Nenhum nome de arquivo foi informado</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder</source>
        <translation>&quot;%1&quot; é uma pasta</translation>
    </message>
    <message>
        <source>Cannot create a file in the folder &quot;%1&quot;</source>
        <translation>Não é possível criar um arquivo na pasta &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;</source>
        <translation>Não é possível gravar &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot; to the disk</source>
        <translation>Não é possível gravar &quot;%1&quot; no disco</translation>
    </message>
    <message>
        <source>Cannot replace &quot;%1&quot;</source>
        <translation>Não é possível substituir &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Line %1</source>
        <translation>Linha %1</translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>linha %1</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>memória insuficiente</translation>
    </message>
    <message>
        <source>%1: the &quot;Total Point&quot; row (the ninth line after &quot;HeaderData&quot;) has no record count in its second cell.</source>
        <translation>%1: a linha &quot;Total Point&quot; (a nona linha após &quot;HeaderData&quot;) não traz o número de registros na segunda célula.</translation>
    </message>
    <message>
        <source>%1: a record comes before the record count (the &quot;Total Point&quot; row, the ninth line after &quot;HeaderData&quot;).</source>
        <translation>%1: um registro vem antes do número de registros (a linha &quot;Total Point&quot;, a nona linha após &quot;HeaderData&quot;).</translation>
    </message>
    <message>
        <source>%1: a record line needs six cells (number, date and time, LAVG, Leq, LCPK, LZPK), this one has %2.</source>
        <translation>%1: uma linha de registro precisa de seis células (número, data e hora, LAVG, Leq, LCPK, LZPK); esta tem %2.</translation>
    </message>
    <message>
        <source>%1: the record number %2 was given on an earlier line already; each record comes once.</source>
        <translation>%1: o número de registro %2 já apareceu em uma linha anterior; cada registro aparece uma só vez.</translation>
    </message>
    <message>
        <source>This file is written as UTF-16 (Unicode) text; data files are 8-bit text. Nothing was read.</source>
        <translation>Este arquivo está gravado como texto UTF-16 (Unicode); os arquivos de dados são texto de 8 bits. Nada foi lido.</translation>
    </message>
    <message>
        <source>This is not a data file: it holds binary data. Nothing was read.</source>
        <translation>Este não é um arquivo de dados: ele contém dados binários. Nada foi lido.</translation>
    </message>
    <message>
        <source>This is not a data file of a supported meter: its first line reads %1 instead of &quot;VKZ 418&quot; or &quot;KRD 529&quot;. Nothing was read.</source>
        <translation>Este não é um arquivo de dados de um medidor suportado: sua primeira linha diz %1 em vez de &quot;VKZ 418&quot; ou &quot;KRD 529&quot;. Nada foi lido.</translation>
    </message>
    <message>
        <source> The lines before it were read.</source>
        <translation> As linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>Not enough memory to read %1; the lines before it were read.</source>
        <translation>Memória insuficiente para ler a %1; as linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>The file is empty.</source>
        <translation>O arquivo está vazio.</translation>
    </message>
    <message>
        <source>The file holds none of the sections &quot;Information&quot;, &quot;HeaderData&quot; and &quot;RecordData&quot;; it is not a data file.</source>
        <translation>O arquivo não contém nenhuma das seções &quot;Information&quot;, &quot;HeaderData&quot; e &quot;RecordData&quot;; não é um arquivo de dados.</translation>
    </message>
    <message>
        <source>The file ends at %1 with %2 of the %3 records that %4 announces; it was cut short. The records read are shown.</source>
        <translation>O arquivo termina na %1 com %2 dos %3 registros que a %4 anuncia; ele foi truncado. Os registros lidos são exibidos.</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot; (%2).</source>
        <translation>Não é possível abrir &quot;%1&quot; (%2).</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: it is not a file.</source>
        <translation>Não é possível abrir &quot;%1&quot;: não é um arquivo.</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; failed at %2 (%3); the lines before it were read.</source>
        <translation>A leitura de &quot;%1&quot; falhou na %2 (%3); as linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; failed (%2).</source>
        <translation>A leitura de &quot;%1&quot; falhou (%2).</translation>
    </message>
    <message>
        <source>Line 1 is longer than 1 MiB; the file is damaged or not a data file. Nothing was read.</source>
        <translation>A linha 1 tem mais de 1 MiB; o arquivo está danificado ou não é um arquivo de dados. Nada foi lido.</translation>
    </message>
    <message>
        <source>The file could not be written.</source>
        <translation>Não foi possível gravar o arquivo.</translation>
    </message>
    <message>
        <source>Nothing was saved: no meter model is known (link the meter first).</source>
        <translation>Nada foi salvo: nenhum modelo de medidor é conhecido (conecte o medidor primeiro).</translation>
    </message>
    <message>
        <source>The downloaded measurement has not been saved to a data file. Save it now?</source>
        <translation>A medição transferida não foi salva em um arquivo de dados. Deseja salvá-la agora?</translation>
    </message>
    <message>
        <source>The user information you typed has not been saved to a data file. Save it now?</source>
        <translation>As informações do usuário que você digitou não foram salvas em um arquivo de dados. Deseja salvá-las agora?</translation>
    </message>
    <message>
        <source>The download is not finished: %1 of %2 records have arrived. Stop it and save the records that arrived?</source>
        <translation>A transferência não terminou: chegaram %1 de %2 registros. Deseja interrompê-la e salvar os registros que chegaram?</translation>
    </message>
    <message>
        <source>No record of this measurement has arrived yet: there is nothing to keep. Stop the download and close it?</source>
        <translation>Nenhum registro desta medição chegou ainda: não há nada a guardar. Deseja interromper a transferência e fechá-la?</translation>
    </message>
    <message>
        <source>No record of this measurement arrived: there is nothing to keep. Close it?</source>
        <translation>Nenhum registro desta medição chegou: não há nada a guardar. Deseja fechá-la?</translation>
    </message>
    <message>
        <source>%1 holds binary data (a zero byte); the file is damaged. The lines before it were read.</source>
        <translation>%1 contém dados binários (um byte zero); o arquivo está danificado. As linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>%1 is longer than 1 MiB; the file is damaged or not a data file. The lines before it were read.</source>
        <translation>%1 tem mais de 1 MiB; o arquivo está danificado ou não é um arquivo de dados. As linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>File %1:
%2</source>
        <translation>Arquivo %1:
%2</translation>
    </message>
    <message>
        <source>not a file that can be replaced</source>
        <translation>não é um arquivo que possa ser substituído</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2</source>
        <translation>&quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: %2</source>
        <translation>&quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1: the %2 level %3 is not a finite number.</source>
        <translation>%1: o nível %2 %3 não é um número finito.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not saved: %2. Any earlier file of that name is unchanged.</source>
        <translation>&quot;%1&quot; não foi salvo: %2. Um arquivo anterior com esse nome permanece inalterado.</translation>
    </message>
    <message>
        <source>%1 has no line end: the file was cut short inside it. That line is not shown; the lines before it were read.</source>
        <translation>%1 não tem fim de linha: o arquivo foi truncado dentro dela. Essa linha não é exibida; as linhas anteriores foram lidas.</translation>
    </message>
    <message>
        <source>The file ends at %1, in its &quot;%2&quot; section, before its records; it was cut short. What was read is shown.</source>
        <translation>O arquivo termina na %1, em sua seção &quot;%2&quot;, antes dos registros; ele foi truncado. O que foi lido é exibido.</translation>
    </message>
    <message>
        <source>%1: the record count %2 of the &quot;Total Point&quot; row is not a number of records.</source>
        <translation>%1: o número de registros %2 da linha &quot;Total Point&quot; não é um número de registros válido.</translation>
    </message>
    <message>
        <source>%1: the record number %2 is not between 1 and %3: %4 announces %5 records, more than the file can hold.</source>
        <translation>%1: o número de registro %2 não está entre 1 e %3: a %4 anuncia %5 registros, mais do que o arquivo pode conter.</translation>
    </message>
    <message>
        <source>%1: the record number %2 is not between 1 and %3, the record count of %4.</source>
        <translation>%1: o número de registro %2 não está entre 1 e %3, o número de registros da %4.</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>Download stopped: no usable answer from the meter. The measurement&apos;s header did not arrive; no records arrived.</source>
        <translation>Transferência interrompida: nenhuma resposta utilizável do medidor. O cabeçalho da medição não chegou; nenhum registro chegou.</translation>
    </message>
    <message>
        <source>Download stopped: no usable answer from the meter. %1 of %2 records arrived.</source>
        <translation>Transferência interrompida: nenhuma resposta utilizável do medidor. Chegaram %1 de %2 registros.</translation>
    </message>
    <message>
        <source>Memory list incomplete: %1 of %2 entries arrived, missing %3.</source>
        <translation>Lista da memória incompleta: chegaram %1 de %2 entradas; faltam %3.</translation>
    </message>
    <message>
        <source>Memory list incomplete: the meter reports stored measurements, but none of their entries arrived.</source>
        <translation>Lista da memória incompleta: o medidor informa medições armazenadas, mas nenhuma das suas entradas chegou.</translation>
    </message>
    <message>
        <source>Download stopped: the meter sent a data block twice, so the records after it could not be placed with certainty. %1 of %2 records kept.</source>
        <translation>Transferência interrompida: o medidor enviou um bloco de dados duas vezes, e os registros depois dele não puderam ser posicionados com certeza. Mantidos %1 de %2 registros.</translation>
    </message>
</context>
<context>
    <name>Erase</name>
    <message>
        <source>The meter did not report the end of the memory erase. Check its memory list before you go on.</source>
        <translation>O medidor não informou o fim do apagamento da memória. Verifique a lista da memória antes de continuar.</translation>
    </message>
    <message>
        <source>The erase request could not be sent to the meter. Nothing was erased.</source>
        <translation>Não foi possível enviar o pedido de apagamento ao medidor. Nada foi apagado.</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>The manual is missing: %1</source>
        <translation>O manual não foi encontrado: %1</translation>
    </message>
    <message>
        <source>No program could open the manual: %1</source>
        <translation>Nenhum programa conseguiu abrir o manual: %1</translation>
    </message>
</context>
<context>
    <name>Histogram</name>
    <message>
        <source>Choose the quantity first: LAVG, Leq, LCPK or LZPK.</source>
        <translation>Escolha primeiro a grandeza: LAVG, Leq, LCPK ou LZPK.</translation>
    </message>
    <message>
        <source>There are no records to count.</source>
        <translation>Não há registros para contar.</translation>
    </message>
    <message>
        <source>Choose a quantity first (%1, %2, %3 or %4).</source>
        <translation>Escolha primeiro uma grandeza (%1, %2, %3 ou %4).</translation>
    </message>
</context>
<context>
    <name>Memory</name>
    <message>
        <source>The meter was not asked for its memory.</source>
        <translation>O medidor não foi consultado sobre sua memória.</translation>
    </message>
</context>
<context>
    <name>MemoryList</name>
    <message>
        <source>The meter did not report its memory size: Total and Remain Size are not shown.</source>
        <translation>O medidor não informou o tamanho da memória: Tamanho total e Espaço livre não são exibidos.</translation>
    </message>
</context>
<context>
    <name>MeterText</name>
    <message>
        <source>The meter cannot show the character &quot;%1&quot; (%2). Nothing was sent.</source>
        <translation>O medidor não consegue exibir o caractere &quot;%1&quot; (%2). Nada foi enviado.</translation>
    </message>
</context>
<context>
    <name>MsgBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sim</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Não</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salvar</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Descartar</translation>
    </message>
</context>
<context>
    <name>PdfWriter</name>
    <message>
        <source>no character metrics</source>
        <translation>nenhuma métrica de caractere</translation>
    </message>
    <message>
        <source>no StartCharMetrics line</source>
        <translation>falta a linha StartCharMetrics</translation>
    </message>
    <message>
        <source>cannot read the font metrics %1: %2</source>
        <translation>não foi possível ler as métricas de fonte %1: %2</translation>
    </message>
    <message>
        <source>%1 holds no usable font metrics: %2</source>
        <translation>%1 não contém métricas de fonte utilizáveis: %2</translation>
    </message>
    <message>
        <source>a folder, not a file</source>
        <translation>uma pasta, não um arquivo</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>não é um arquivo comum</translation>
    </message>
    <message>
        <source>too large to be read</source>
        <translation>grande demais para ser lido</translation>
    </message>
    <message>
        <source>PDF file - </source>
        <translation>Arquivo PDF - </translation>
    </message>
    <message>
        <source>Cannot create the PDF file : no file name given.</source>
        <translation>Não foi possível criar o arquivo PDF : nenhum nome de arquivo foi informado.</translation>
    </message>
    <message>
        <source>no file name given</source>
        <translation>nenhum nome de arquivo foi informado</translation>
    </message>
    <message>
        <source>Cannot create the PDF file : %1.</source>
        <translation>Não foi possível criar o arquivo PDF : %1.</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>não foi possível criar %1: %2</translation>
    </message>
    <message>
        <source>Cannot write the PDF file : %1.</source>
        <translation>Não foi possível gravar o arquivo PDF : %1.</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>não foi possível gravar %1: %2</translation>
    </message>
    <message>
        <source>no program could open %1</source>
        <translation>nenhum programa conseguiu abrir %1</translation>
    </message>
    <message>
        <source>the picture %1 has no extension</source>
        <translation>a imagem %1 não tem extensão</translation>
    </message>
    <message>
        <source>the picture %1 is not named as a JPEG file</source>
        <translation>o nome da imagem %1 não é o de um arquivo JPEG</translation>
    </message>
    <message>
        <source>cannot read the picture %1: %2</source>
        <translation>não foi possível ler a imagem %1: %2</translation>
    </message>
    <message>
        <source>the picture %1 has no JPEG start or end marker</source>
        <translation>a imagem %1 não tem o marcador de início ou de fim do JPEG</translation>
    </message>
    <message>
        <source>the picture %1 gives density units %2 (0, 1 or 2 are known)</source>
        <translation>a imagem %1 indica unidades de densidade %2 (são conhecidas 0, 1 ou 2)</translation>
    </message>
    <message>
        <source>the picture %1 is not a usable JPEG file</source>
        <translation>a imagem %1 não é um arquivo JPEG utilizável</translation>
    </message>
    <message>
        <source>Font folder - </source>
        <translation>Pasta de fontes - </translation>
    </message>
    <message>
        <source>Cannot read the font folder : %1.</source>
        <translation>Não foi possível ler a pasta de fontes : %1.</translation>
    </message>
    <message>
        <source>cannot read the font folder %1: %2</source>
        <translation>não foi possível ler a pasta de fontes %1: %2</translation>
    </message>
    <message>
        <source>Font metrics - </source>
        <translation>Métricas de fonte - </translation>
    </message>
    <message>
        <source>Font metrics not found : %1 in %2.</source>
        <translation>Métricas de fonte não encontradas : %1 em %2.</translation>
    </message>
    <message>
        <source>Text widths are taken as 0.</source>
        <translation>As larguras dos textos são tomadas como 0.</translation>
    </message>
    <message>
        <source>no font metrics for %1 in %2</source>
        <translation>nenhuma métrica de fonte para %1 em %2</translation>
    </message>
</context>
<context>
    <name>Port</name>
    <message>
        <source>No serial device found.</source>
        <translation>Nenhum dispositivo serial encontrado.</translation>
    </message>
    <message>
        <source>A link com/COMn beside the program names any device; otherwise COM1-32 are /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31 and COM65-96 /dev/ttyACM0-31.</source>
        <translation>Um link com/COMn ao lado do programa aponta para qualquer dispositivo; caso contrário, COM1-32 são /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31 e COM65-96 /dev/ttyACM0-31.</translation>
    </message>
    <message>
        <source>an ordinary file</source>
        <translation>um arquivo comum</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>uma pasta</translation>
    </message>
    <message>
        <source>a pipe</source>
        <translation>um pipe</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>um socket</translation>
    </message>
    <message>
        <source>a disk device</source>
        <translation>um dispositivo de disco</translation>
    </message>
    <message>
        <source>a device that is not a terminal</source>
        <translation>um dispositivo que não é um terminal</translation>
    </message>
    <message>
        <source>not a device</source>
        <translation>não é um dispositivo</translation>
    </message>
    <message>
        <source>%1 is not a serial device: it is %2. The port was not opened and nothing was written to it.</source>
        <translation>%1 não é um dispositivo serial: é %2. A porta não foi aberta e nada foi gravado nela.</translation>
    </message>
    <message>
        <source>No permission to use %1.</source>
        <translation>Sem permissão para usar %1.</translation>
    </message>
    <message>
        <source> The device belongs to the group %1: add yourself to it with
    sudo usermod -aG %1 $USER
then log out and in again.</source>
        <translation> O dispositivo pertence ao grupo %1: adicione-se a ele com
    sudo usermod -aG %1 $USER
e depois saia da sessão e entre novamente.</translation>
    </message>
    <message>
        <source> Ask the administrator of this computer for access to it.</source>
        <translation> Peça acesso a ele ao administrador deste computador.</translation>
    </message>
    <message>
        <source>Request 0x%1 not sent: a value is outside its field.</source>
        <translation>Pedido 0x%1 não enviado: um valor está fora do seu campo.</translation>
    </message>
    <message>
        <source>No port is linked.</source>
        <translation>Nenhuma porta está conectada.</translation>
    </message>
    <message>
        <source>%1 is not open.</source>
        <translation>%1 não está aberta.</translation>
    </message>
    <message>
        <source>%1 of %2 bytes written. %3</source>
        <translation>%1 de %2 bytes gravados. %3</translation>
    </message>
    <message>
        <source>the request could not be made</source>
        <translation>não foi possível montar o pedido</translation>
    </message>
    <message>
        <source>%1 cannot be opened: no device is mapped to it (Device Manager shows the map).</source>
        <translation>%1 não pode ser aberta: nenhum dispositivo está associado a ela (o Gerenciador de dispositivos mostra o mapa).</translation>
    </message>
    <message>
        <source>%1 (%2) cannot be opened.
%3</source>
        <translation>%1 (%2) não pode ser aberta.
%3</translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>Nothing to print.</source>
        <translation>Nada para imprimir.</translation>
    </message>
    <message>
        <source>The window could not be captured.</source>
        <translation>Não foi possível capturar a janela.</translation>
    </message>
    <message>
        <source>Cannot print to %1.</source>
        <translation>Não é possível imprimir em %1.</translation>
    </message>
    <message>
        <source>cannot print to %1</source>
        <translation>não é possível imprimir em %1</translation>
    </message>
    <message>
        <source>%1 did not take a new page</source>
        <translation>%1 não aceitou uma nova página</translation>
    </message>
    <message>
        <source>%1 did not take the document</source>
        <translation>%1 não aceitou o documento</translation>
    </message>
    <message>
        <source>%1 reported an error</source>
        <translation>%1 informou um erro</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Pasta</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <comment>All other platforms</comment>
        <translation>Atalho</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Unidade</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Desconhecido</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>the printer failed</source>
        <translation>a impressora falhou</translation>
    </message>
    <message>
        <source>The report could not be printed: %1.</source>
        <translation>Não foi possível imprimir o relatório: %1.</translation>
    </message>
    <message>
        <source>The printed report is incomplete: %1.
Only the pages drawn before that were sent to the printer.</source>
        <translation>O relatório impresso está incompleto: %1.
Somente as páginas desenhadas antes disso foram enviadas à impressora.</translation>
    </message>
    <message>
        <source>The printed report could not be finished: %1.</source>
        <translation>Não foi possível concluir o relatório impresso: %1.</translation>
    </message>
    <message>
        <source>The report could not be made: the window shows no measurement.</source>
        <translation>Não foi possível gerar o relatório: a janela não mostra nenhuma medição.</translation>
    </message>
    <message>
        <source>The printed report is not available in this version of the program: nothing was printed.</source>
        <translation>O relatório impresso não está disponível nesta versão do programa: nada foi impresso.</translation>
    </message>
    <message>
        <source>The PDF report is not available in this version of the program: no file was written.</source>
        <translation>O relatório em PDF não está disponível nesta versão do programa: nenhum arquivo foi gravado.</translation>
    </message>
    <message>
        <source>The report could not be made.</source>
        <translation>Não foi possível gerar o relatório.</translation>
    </message>
    <message>
        <source>the PDF writer failed</source>
        <translation>o gerador de PDF falhou</translation>
    </message>
    <message>
        <source>The PDF report is incomplete: %1.
The file %2 holds only the pages written before that and was not opened.</source>
        <translation>O relatório em PDF está incompleto: %1.
O arquivo %2 contém apenas as páginas gravadas antes disso e não foi aberto.</translation>
    </message>
    <message>
        <source>The PDF report was written to %1, but no program could open it.</source>
        <translation>O relatório em PDF foi gravado em %1, mas nenhum programa conseguiu abri-lo.</translation>
    </message>
    <message>
        <source>A report is being made. Wait until it is finished, then start this one again.</source>
        <translation>Um relatório está sendo gerado. Aguarde até que termine e inicie este novamente.</translation>
    </message>
    <message>
        <source>PDF report</source>
        <translation>relatório em PDF</translation>
    </message>
    <message>
        <source>printed report</source>
        <translation>relatório impresso</translation>
    </message>
    <message>
        <source>The %1 could not be written to %2: %3.
No file was made; any earlier file of that name is unchanged.</source>
        <translation>Não foi possível gravar o %1 em %2: %3.
Nenhum arquivo foi criado; um arquivo anterior com esse nome permanece inalterado.</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>não foi possível gravar o arquivo</translation>
    </message>
</context>
<context>
    <name>SetOutcome</name>
    <message>
        <source>The meter did not confirm the setting. Read it back before you rely on it.</source>
        <translation>O medidor não confirmou a configuração. Leia-a novamente do medidor antes de confiar nela.</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>%1 : nothing selected !!!</source>
        <translation>%1: nenhum item selecionado !!!</translation>
    </message>
</context>
</TS>
